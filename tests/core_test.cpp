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
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/core/error.h"
#include "framework/core/memory.h"

namespace {

namespace fs = std::filesystem;

class CoreFatal : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / "tess_core_test";
    fs::path home;
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        fs::create_directories(dir);
        fs::remove(dir / "graphics_error.log");
        home = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(home);
        fs::remove_all(dir);
    }
    std::string log() {
        std::ifstream in(dir / "graphics_error.log", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
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
    log_error("first");
    EXPECT_EXIT(fatal_error("Disk on fire"), ::testing::ExitedWithCode(1), "Oh sod it: Disk on fire");
    std::string text = log();
    size_t end = text.find(EOL);
    ASSERT_NE(end, std::string::npos) << text;
    EXPECT_EQ(after_stamp(text.substr(0, end)), "first");
    std::string second = text.substr(end + strlen(EOL));
    EXPECT_EQ(after_stamp(second), std::string("Disk on fire") + EOL);
}

TEST_F(CoreFatal, HeapExhaustionIsFatal) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer refuses the request itself";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "AddressSanitizer refuses the request itself";
#endif
#endif
    EXPECT_EXIT(heap_alloc(SIZE_MAX / 2), ::testing::ExitedWithCode(1), "Oh sod it: Out of memory");
    EXPECT_EXIT(heap_resize(heap_alloc(1), SIZE_MAX / 2), ::testing::ExitedWithCode(1), "Out of memory");
    EXPECT_NE(log().find("Out of memory"), std::string::npos);
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
