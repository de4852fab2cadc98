// The bottom layer on its own, linked without the window, GL or X11: the
// fatal path with the C runtime's hooks (stamped log line, the box as a line
// on standard error, exit code 1), heap exhaustion reaching it, and the heap
// copies and formats.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
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

#ifdef _WIN32
const char* const EOL = "\r\n";
#else
const char* const EOL = "\n";
#endif

// The text after a stamp "yyyy-MMM-dd HH:mm:ss " in English (the window
// layer's default pictures), or "<no stamp>".
std::string after_stamp(const std::string& line) {
    const std::string months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char* shape = "dddd-MMM-dd dd:dd:dd ";
    if (line.size() < strlen(shape)) return "<no stamp>";
    for (size_t i = 0; shape[i]; i++) {
        bool ok = shape[i] == 'd' ? isdigit((unsigned char)line[i]) != 0 : shape[i] == 'M' || shape[i] == line[i];
        if (!ok) return "<no stamp>";
    }
    size_t month = months.find(line.substr(5, 3));
    if (month == std::string::npos || month % 3 != 0) return "<no stamp>";
    return line.substr(strlen(shape));
}

TEST_F(CoreFatal, WithoutTheWindowTheBoxIsALineOnStandardError) {
    expect_fatal(
        [] {
            log_error("first");
            fatal_error("Disk on fire");
        },
        "Disk on fire", scratch.dir);
    std::string text = read_file(scratch.path("graphics_error.log"));
    ASSERT_GT(text.size(), strlen(EOL));
    EXPECT_EQ(text.substr(text.size() - strlen(EOL)), EOL);  // text mode
    EXPECT_EQ(after_stamp(text.substr(0, text.find(EOL))), "first");
    EXPECT_EQ(after_stamp(last_line(text)), "Disk on fire");
}

TEST_F(CoreFatal, HeapExhaustionIsFatal) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer refuses the request itself";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer refuses the request itself";
#endif
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
