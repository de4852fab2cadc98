// The bottom layer on its own, linked without the window, GL or X11: the
// fatal path with the C runtime's hooks (stamped log line, the box as a line
// on standard error, exit code 1), heap exhaustion reaching it, and the heap
// copies and formats.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/core/error.h"
#include "framework/core/memory.h"
#include "tests/support/files.h"

namespace {

class CoreFatal : public ::testing::Test {
protected:
    ScratchFolder scratch;
};

// A stamp in the shape of the window layer's default pictures, "2024-Jul-04 09:05:07 ".
bool stamped(const std::string& line, const std::string& text) {
    const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    return line.size() == 21 + text.size() && line.substr(21) == text && line[4] == '-' && line[8] == '-' &&
           line[11] == ' ' && line[14] == ':' && line[17] == ':' && strstr(months, line.substr(5, 3).c_str());
}

TEST_F(CoreFatal, WithoutTheWindowTheBoxIsALineOnStandardError) {
    expect_fatal(
        [] {
            log_error("first");
            fatal_error("Disk on fire");
        },
        "Disk on fire", scratch.dir);
    std::string text = read_file(scratch.path("graphics_error.log"));
    const std::string eol = TEXT_EOL;
    EXPECT_TRUE(stamped(text.substr(0, text.find(eol)), "first")) << text;
    EXPECT_TRUE(stamped(last_line(text), "Disk on fire")) << text;
    EXPECT_EQ(text.substr(text.size() - eol.size()), eol);
}

TEST_F(CoreFatal, HeapExhaustionIsFatal) {
#ifdef __SANITIZE_ADDRESS__  // the sanitizer build is GCC's
    GTEST_SKIP() << "AddressSanitizer refuses the request itself";
#endif
    expect_fatal([] { heap_alloc(SIZE_MAX / 2); }, "Out of memory", scratch.dir);
    expect_fatal([] { heap_resize(heap_alloc(1), SIZE_MAX / 2); }, "Out of memory", scratch.dir);
}

TEST(CoreHeap, CopiesAndFormats) {
    char* a = heap_copy(nullptr);
    EXPECT_STREQ(a, "");
    char* b = heap_copy_n("abc\0def", 6);  // the bytes as they are, terminated after n
    EXPECT_EQ(memcmp(b, "abc\0de", 7), 0);
    std::string wide(5000, 'x');  // longer than any fixed buffer a formatter might keep
    char* c = heap_format("%s|%d|%.3f", wide.c_str(), -42, 0.5);
    EXPECT_EQ(std::string(c), wide + "|-42|0.500");
    char* d = (char*)heap_alloc_zeroed(3, 5);
    EXPECT_EQ(std::string(d, 15), std::string(15, '\0'));
    for (char* p : {a, b, c, d}) free(p);
}

}  // namespace
