// Screenshots on a real context: BMP files of a known picture checked field by
// field and pixel by pixel (and on Linux read back by ImageMagick), and the
// converter run through the real command interpreter as a stand-in script.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "framework/window/screenshot.h"
#include "tests/support/files.h"
#include "tests/support/test_window.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace fs = std::filesystem;

static const int W = 640, H = 480;
static const int CONVERTER_EXIT = 3;  // the stand-in's exit code, to see it passed back

// Every pixel of the picture differs from every other: red and green are x
// and y modulo 256, blue carries their high bits and a mix of both.
static void pattern(int x, int y, uint8_t rgb[3]) {
    rgb[0] = (uint8_t)(x & 255);
    rgb[1] = (uint8_t)(y & 255);
    rgb[2] = (uint8_t)((x >> 8) | (y >> 8) << 2 | ((x + y) & 15) << 4);
}

static void paint_pattern() {
    std::vector<uint8_t> image((size_t)W * H * 3);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) pattern(x, y, &image[((size_t)(H - 1 - y) * W + x) * 3]);  // GL rows bottom-up
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, W, 0, H, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos2i(0, 0);
    glDrawPixels(W, H, GL_RGB, GL_UNSIGNED_BYTE, image.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

static uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
static uint32_t le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

// The file must be the BMP of the window rectangle (x0, y0, w, h) of the
// picture, rows of `stride` bytes, every header field as laid down.
static void expect_bmp_of_rect(const std::string& name, int x0, int y0, int w, int h, uint32_t stride) {
    std::string text = read_file(name);
    Bytes f(text.begin(), text.end());
    uint32_t image = stride * (uint32_t)h;
    ASSERT_EQ(f.size(), 54u + image) << name;
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(le32(f, 2), 54u + image);
    EXPECT_EQ(le32(f, 6), 0u);
    EXPECT_EQ(le32(f, 10), 54u);
    EXPECT_EQ(le32(f, 14), 40u);
    EXPECT_EQ(le32(f, 18), (uint32_t)w);
    EXPECT_EQ(le32(f, 22), (uint32_t)h);
    EXPECT_EQ(le16(f, 26), 1u);
    EXPECT_EQ(le16(f, 28), 24u);
    EXPECT_EQ(le32(f, 30), 0u);
    EXPECT_EQ(le32(f, 34), image);
    EXPECT_EQ(le32(f, 38), 2834u);
    EXPECT_EQ(le32(f, 42), 2834u);
    EXPECT_EQ(le32(f, 46), 0u);
    EXPECT_EQ(le32(f, 50), 0u);
    int wrong_pixels = 0, wrong_padding = 0;
    for (int r = 0; r < h; r++) {
        const uint8_t* row = &f[54 + (size_t)r * stride];
        int y = y0 + h - 1 - r;  // bottom-up
        for (int i = 0; i < w; i++) {
            uint8_t rgb[3];
            pattern(x0 + i, y, rgb);
            if (row[3 * i] != rgb[2] || row[3 * i + 1] != rgb[1] || row[3 * i + 2] != rgb[0]) wrong_pixels++;
        }
        for (uint32_t p = 3 * (uint32_t)w; p < stride; p++)
            if (row[p] != 0) wrong_padding++;
    }
    EXPECT_EQ(wrong_pixels, 0) << name;
    EXPECT_EQ(wrong_padding, 0) << name;
}

// A reader that shares nothing with ours: ImageMagick's decoding to raw RGB, rows top first.
static void expect_imagemagick_reads(const std::string& name, int x0, int y0, int w, int h) {
#ifdef _WIN32
    (void)name, (void)x0, (void)y0, (void)w, (void)h;
#else
    std::string command = "convert '" + name + "' rgb:- 2>/dev/null";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::vector<uint8_t> rgb;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) rgb.insert(rgb.end(), buf, buf + n);
    EXPECT_EQ(pclose(p), 0) << command;
    ASSERT_EQ(rgb.size(), (size_t)w * h * 3) << "ImageMagick could not read " << name;
    int wrong = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t want[3];
            pattern(x0 + x, y0 + y, want);
            if (memcmp(&rgb[((size_t)y * w + x) * 3], want, 3) != 0) wrong++;
        }
    EXPECT_EQ(wrong, 0) << name;
#endif
}

// The command interpreter's result for a command that exited with `code`.
static int exit_result(int code) {
#ifdef _WIN32
    return code;
#else
    return code << 8;  // a wait status
#endif
}

static void set_path(const std::string& value) {
#ifdef _WIN32
    _putenv(("PATH=" + value).c_str());
#else
    setenv("PATH", value.c_str(), 1);
#endif
}

class Screenshot : public ::testing::Test {
protected:
    ScratchFolder scratch;
    fs::path root = scratch.dir, work = root / "work", bin = root / "bin", log = root / "calls.log";
    fs::path previous_dir;
    std::string previous_path;
    double (*previous_timer)() = nullptr;

    void SetUp() override {
        test_window_open(W, H);
        ASSERT_EQ(graphics.width, W);
        ASSERT_EQ(graphics.height, H);
        paint_pattern();
        ASSERT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        previous_timer = graphics.timer;
        const char* path = getenv("PATH");
        previous_path = path ? path : "";
        previous_dir = fs::current_path();
        fs::create_directories(work);
        fs::create_directories(bin);
        install_converter();
        fs::current_path(work);
        use_converter(true);
    }

    void TearDown() override {
        graphics.timer = previous_timer;
        fs::current_path(previous_dir);
        set_path(previous_path);
    }

    // A stand-in "bmp2png" that records what it was given and exits with CONVERTER_EXIT.
    void install_converter() {
#ifdef _WIN32
        FILE* f = fopen((bin / "bmp2png.bat").string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fprintf(f, "@echo off\r\necho %%*>>\"%s\"\r\nexit /b %d\r\n", log.string().c_str(), CONVERTER_EXIT);
        fclose(f);
#else
        fs::path script = bin / "bmp2png";
        FILE* f = fopen(script.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fprintf(f, "#!/bin/sh\nfor a in \"$@\"; do printf '%%s\\0' \"$a\" >> '%s'; done\nprintf '\\1' >> '%s'\nexit %d\n",
                log.c_str(), log.c_str(), CONVERTER_EXIT);
        fclose(f);
        fs::permissions(script, fs::perms::owner_all);
#endif
    }

    void use_converter(bool present) {
#ifdef _WIN32
        const char separator = ';';
#else
        const char separator = ':';
#endif
        // Without it, the path still leads to the system's tools (the shell needs none).
        set_path(present ? bin.string() + separator + previous_path : previous_path);
    }

    // One entry per converter run: its arguments as the command interpreter
    // passed them (on Windows the raw argument text of the batch file).
    std::vector<std::string> calls() {
        std::string bytes = fs::exists(log) ? read_file(log.string()) : "";
        std::vector<std::string> out;
        std::string current;
#ifdef _WIN32
        for (uint8_t c : bytes) {
            if (c == '\r') continue;
            if (c == '\n') {
                out.push_back(current);
                current.clear();
            } else {
                current += (char)c;
            }
        }
#else
        for (uint8_t c : bytes) {
            if (c == 1) {
                out.push_back(current);
                current.clear();
            } else {
                current += c == 0 ? '|' : (char)c;  // '|' between arguments
            }
        }
#endif
        return out;
    }

    // What calls() shows for a run on `name` (after any "./" the name was given).
    static std::string call_on(const std::string& passed) {
#ifdef _WIN32
        return "-9 -E \"" + passed + "\"";
#else
        return "-9|-E|" + passed + "|";
#endif
    }
};

TEST(BmpLayout, StrideRoundsThreeBytesPerPixelUpToFour) {
    EXPECT_EQ(bmp_stride(1), 4);
    EXPECT_EQ(bmp_stride(2), 8);
    EXPECT_EQ(bmp_stride(3), 12);
    EXPECT_EQ(bmp_stride(4), 12);
    EXPECT_EQ(bmp_stride(5), 16);
    EXPECT_EQ(bmp_stride(640), 1920);
    EXPECT_EQ(bmp_stride(INT_MAX), 6442450944LL);  // no overflow on the way
}

TEST(BmpLayout, HeaderRefusesSizesThatCannotBeWritten) {
    unsigned char header[BMP_HEADER_SIZE];
    memset(header, 0xAB, sizeof header);
    EXPECT_FALSE(bmp_header(0, 10, header));
    EXPECT_FALSE(bmp_header(10, 0, header));
    EXPECT_FALSE(bmp_header(-4, 10, header));
    EXPECT_FALSE(bmp_header(10, -4, header));
    EXPECT_FALSE(bmp_header(INT_MAX, INT_MAX, header));
    EXPECT_FALSE(bmp_header(100000, 100000, header));
    EXPECT_EQ(header[0], 0xAB);  // refused: left alone
    // The largest picture a 32-bit signed size field holds, and one row more.
    EXPECT_TRUE(bmp_header(65536, 10922, header));
    EXPECT_FALSE(bmp_header(65536, 10923, header));
}

TEST(ConvertCommand, PlainNameGivesTheFixedLine) {
    char line[256];
    for (int shell : {BMP_SHELL_SH, BMP_SHELL_CMD}) {
        ASSERT_TRUE(bmp_convert_command("shot_00003.bmp", shell, line, sizeof line));
        EXPECT_STREQ(line, "bmp2png -9 -E \"shot_00003.bmp\"");
    }
    ASSERT_TRUE(bmp_convert_command("C:\\shots\\a b&c.bmp", BMP_SHELL_CMD, line, sizeof line));
    EXPECT_STREQ(line, "bmp2png -9 -E \"C:\\shots\\a b&c.bmp\"");
}

TEST(ConvertCommand, ShellQuotingPerInterpreter) {
    char line[256];
    ASSERT_TRUE(bmp_convert_command("a\"$(x)`y`\\z.bmp", BMP_SHELL_SH, line, sizeof line));
    EXPECT_STREQ(line, "bmp2png -9 -E \"a\\\"\\$(x)\\`y\\`\\\\z.bmp\"");
    ASSERT_TRUE(bmp_convert_command("-E.bmp", BMP_SHELL_SH, line, sizeof line));
    EXPECT_STREQ(line, "bmp2png -9 -E \"./-E.bmp\"");
    ASSERT_TRUE(bmp_convert_command("-E.bmp", BMP_SHELL_CMD, line, sizeof line));
    EXPECT_STREQ(line, "bmp2png -9 -E \".\\-E.bmp\"");
    for (const char* refused : {"a\".bmp", "100%PATH%.bmp", "wow!.bmp", "a\nb.bmp", "a\rb.bmp", ""}) {
        strcpy(line, "untouched");
        EXPECT_FALSE(bmp_convert_command(refused, BMP_SHELL_CMD, line, sizeof line)) << refused;
        EXPECT_STREQ(line, "");
    }
    EXPECT_FALSE(bmp_convert_command(nullptr, BMP_SHELL_SH, line, sizeof line));
}

TEST(ConvertCommand, LineMustFitTheBuffer) {
    const char* name = "abc.bmp";
    size_t exact = strlen("bmp2png -9 -E \"abc.bmp\"") + 1;
    std::vector<char> line(exact + 4, 'x');
    EXPECT_FALSE(bmp_convert_command(name, BMP_SHELL_SH, line.data(), exact - 1));
    EXPECT_TRUE(bmp_convert_command(name, BMP_SHELL_SH, line.data(), exact));
    EXPECT_EQ(line[exact], 'x');  // nothing written past the size given
    EXPECT_FALSE(bmp_convert_command(name, BMP_SHELL_SH, line.data(), 0));
}

TEST_F(Screenshot, WidthOnePadsRowsToFourBytes) {
    EXPECT_EQ(save_bmp(5, 7, 1, 9, "w1.bmp", 0), 0);
    expect_bmp_of_rect("w1.bmp", 5, 7, 1, 9, 4);
    expect_imagemagick_reads("w1.bmp", 5, 7, 1, 9);
    EXPECT_TRUE(calls().empty());  // no conversion asked for
}

TEST_F(Screenshot, WidthFourNeedsNoPadding) {
    EXPECT_EQ(save_bmp(100, 50, 4, 3, "w4.bmp", 0), 0);
    expect_bmp_of_rect("w4.bmp", 100, 50, 4, 3, 12);
    expect_imagemagick_reads("w4.bmp", 100, 50, 4, 3);
}

TEST_F(Screenshot, WholeWindowFile) {
    EXPECT_EQ(save_window_bmp("full.bmp", 0), 0);
    EXPECT_EQ(fs::file_size("full.bmp"), 921654u);
    expect_bmp_of_rect("full.bmp", 0, 0, W, H, 1920);
    expect_imagemagick_reads("full.bmp", 0, 0, W, H);
}

TEST_F(Screenshot, CallersPackStateCannotBendTheRows) {
    test_scramble_pixel_store();
    EXPECT_EQ(save_bmp(30, 20, 3, 17, "packed.bmp", 0), 0);
    EXPECT_TRUE(test_pixel_store_kept());
    expect_bmp_of_rect("packed.bmp", 30, 20, 3, 17, 12);
}

TEST_F(Screenshot, ConverterRunsOnTheWrittenFileAndItsResultComesBack) {
    EXPECT_EQ(save_bmp(0, 0, 4, 4, "conv.bmp", 1), exit_result(CONVERTER_EXIT));
    std::vector<std::string> runs = calls();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], call_on("conv.bmp"));
    expect_bmp_of_rect("conv.bmp", 0, 0, 4, 4, 12);
}

static double one_second() { return 1.0; }
static double long_running() { return 33334.0; }  // 111113 shots in

TEST_F(Screenshot, NumberedFromTheClockAndAlwaysConverted) {
    graphics.timer = one_second;
    EXPECT_EQ(screenshot("shot"), exit_result(CONVERTER_EXIT));
    ASSERT_TRUE(fs::exists("shot_00003.bmp"));
    expect_bmp_of_rect("shot_00003.bmp", 0, 0, W, H, 1920);
    // Within the same 0.3 s the name repeats and the file is replaced.
    EXPECT_EQ(screenshot("shot"), exit_result(CONVERTER_EXIT));
    graphics.timer = long_running;
    EXPECT_EQ(screenshot("shot"), exit_result(CONVERTER_EXIT));
    EXPECT_TRUE(fs::exists("shot_11113.bmp"));
    std::vector<std::string> runs = calls();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], call_on("shot_00003.bmp"));
    EXPECT_EQ(runs[1], call_on("shot_00003.bmp"));
    EXPECT_EQ(runs[2], call_on("shot_11113.bmp"));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(work)) files += entry.is_regular_file();
    EXPECT_EQ(files, 2);
}

TEST_F(Screenshot, MissingConverterShowsOnlyInTheResult) {
    use_converter(false);
    graphics.timer = one_second;
    int result = screenshot("shot");
    EXPECT_NE(result, 0);
    EXPECT_NE(result, -1);  // not our own refusal: the interpreter ran and failed
    expect_bmp_of_rect("shot_00003.bmp", 0, 0, W, H, 1920);
    EXPECT_TRUE(calls().empty());
}

TEST_F(Screenshot, UnwritablePathWritesNothingAndRunsNothing) {
    EXPECT_EQ(save_bmp(0, 0, 8, 8, "no_such_dir/x.bmp", 1), -1);
    EXPECT_FALSE(fs::exists("no_such_dir"));
    EXPECT_EQ(save_bmp(0, 0, 8, 8, ".", 1), -1);  // a folder
    EXPECT_EQ(save_window_bmp("no_such_dir/full.bmp", 1), -1);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(Screenshot, BadSizesWriteNothingAndRunNothing) {
    EXPECT_EQ(save_bmp(0, 0, 0, 8, "zero_w.bmp", 1), -1);
    EXPECT_EQ(save_bmp(0, 0, 8, 0, "zero_h.bmp", 1), -1);
    EXPECT_EQ(save_bmp(0, 0, -8, 8, "negative.bmp", 1), -1);
    EXPECT_EQ(save_bmp(0, 0, 100000, 100000, "huge.bmp", 1), -1);
    EXPECT_EQ(save_bmp(0, 0, INT_MAX, INT_MAX, "huger.bmp", 0), -1);
    EXPECT_EQ(save_bmp(0, 0, 4, 4, nullptr, 1), -1);
    EXPECT_EQ(screenshot(nullptr), -1);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(fs::is_empty(work));
}

TEST_F(Screenshot, ShellCharactersReachOnlyTheConverter) {
    struct Case {
        const char* name;
        const char* passed;  // what the converter must be given
    };
#ifdef _WIN32
    const Case accepted[] = {
        {"two words.bmp", "two words.bmp"},
        {"a&copy nul pwned&.bmp", "a&copy nul pwned&.bmp"},
        {"caret^&copy nul pwned.bmp", "caret^&copy nul pwned.bmp"},
        {"(paren);comma,eq=.bmp", "(paren);comma,eq=.bmp"},
        {"it's.bmp", "it's.bmp"},
        {"-dash.bmp", ".\\-dash.bmp"},
    };
    const char* refused[] = {"per%PATH%cent.bmp", "bang!PATH!.bmp", "line\ncopy nul pwned.bmp"};
#else
    const Case accepted[] = {
        {"two words.bmp", "two words.bmp"},
        {"quote\"d.bmp", "quote\"d.bmp"},
        {"it's.bmp", "it's.bmp"},
        {"$(touch pwned).bmp", "$(touch pwned).bmp"},
        {"`touch pwned`.bmp", "`touch pwned`.bmp"},
        {"semi;touch pwned;.bmp", "semi;touch pwned;.bmp"},
        {"amp&touch pwned&.bmp", "amp&touch pwned&.bmp"},
        {"pipe|touch pwned.bmp", "pipe|touch pwned.bmp"},
        {"back\\slash\\\".bmp", "back\\slash\\\".bmp"},
        {"$HOME.bmp", "$HOME.bmp"},
        {"line\ntouch pwned.bmp", "line\ntouch pwned.bmp"},
        {"star*.bmp", "star*.bmp"},
        {"-dash.bmp", "./-dash.bmp"},
    };
    const char* refused[] = {""};
#endif
    size_t expected_runs = 0;
    for (const Case& c : accepted) {
        EXPECT_EQ(save_bmp(2, 2, 2, 2, c.name, 1), exit_result(CONVERTER_EXIT)) << c.name;
        expect_bmp_of_rect(c.name, 2, 2, 2, 2, 8);
        std::vector<std::string> runs = calls();
        ASSERT_EQ(runs.size(), ++expected_runs) << c.name;
        EXPECT_EQ(runs.back(), call_on(c.passed)) << c.name;
    }
    // A name that cannot be quoted still gets its picture; only the conversion
    // is refused, and the result says so.
    for (const char* name : refused) {
        EXPECT_EQ(save_bmp(2, 2, 2, 2, name, 1), -1) << name;
        if (name[0] && !strchr(name, '\n')) expect_bmp_of_rect(name, 2, 2, 2, 2, 8);
    }
    EXPECT_EQ(calls().size(), expected_runs);
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists(root / "pwned"));
}
