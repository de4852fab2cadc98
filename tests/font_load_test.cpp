// Font loading with a real GL context: atlas layout and size per texture
// limit, the size message, texels of both encodings read back, the mipmap
// contrast step, first-font selection, hostile data and loadfont's errors.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <process.h>  // _spawnl: Wine starts Unix programs such as xdotool
#endif

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/test_window.h"

namespace {

void delete_all_fonts() {
    while (fonts && font_registry.count) font_delete(fonts[font_registry.count - 1]);
}

std::vector<uint8_t> read_level(const Font* f, int level, int* w, int* h) {
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, h);
    std::vector<uint8_t> texels((size_t)*w * *h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (!texels.empty()) glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

struct Texel {
    int r, g, b, a;
    bool operator==(const Texel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
std::ostream& operator<<(std::ostream& os, const Texel& t) {
    return os << "(" << t.r << ", " << t.g << ", " << t.b << ", " << t.a << ")";
}

Texel texel_at(const std::vector<uint8_t>& level, int w, int x, int y) {
    const uint8_t* p = &level[((size_t)y * w + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

// Font data from (width, height, pixels) records.
struct Glyph {
    int w, h;
    std::vector<uint8_t> pixels;
};
std::vector<uint8_t> font_bytes(const std::vector<Glyph>& glyphs) {
    std::vector<uint8_t> out;
    for (const Glyph& g : glyphs) {
        out.push_back((uint8_t)g.w);
        out.push_back((uint8_t)g.h);
        out.insert(out.end(), g.pixels.begin(), g.pixels.end());
    }
    return out;
}

Font* load(const std::vector<uint8_t>& data, const char* name, bool coverage) {
    loadfont_data(data.data(), (uint32_t)data.size(), name, coverage);
    return fonts[font_registry.count - 1];
}

// Fatal errors in the death tests' child process append to a log in a folder
// of the tests' own. On Linux the child has no display for the error box,
// which is then only printed to stderr; under Wine the box is a real window,
// pressed away by ErrorBoxDismisser.
std::filesystem::path fatal_folder() {
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "tess_h3_fatal";
    std::filesystem::create_directories(folder);
    return folder;
}

void quiet_fatal_errors() {
    std::filesystem::current_path(fatal_folder());
#ifndef _WIN32
    unsetenv("DISPLAY");
#endif
}

std::string last_logged_error() {
    std::string last, line;
    std::ifstream log(fatal_folder() / "graphics_error.log");
    while (std::getline(log, line)) last = line;
    return last;
}

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Presses Return on the box captioned "Oh sod it" until destroyed. Wine starts
// Unix programs, so xdotool reaches the box's X window; without xdotool (a real
// Windows) the death tests are skipped instead.
#ifdef _WIN32
const char* const XDOTOOL = "Z:\\usr\\bin\\xdotool";
const char* const SHELL = "Z:\\bin\\sh";  // runs xdotool with its complaints silenced
#endif
class ErrorBoxDismisser {
public:
    ErrorBoxDismisser() {
#ifdef _WIN32
        worker_ = std::thread([this] {
            while (!stop_) {
                _spawnl(_P_WAIT, SHELL, SHELL, "-c", "\"xdotool search --name 'Oh sod it' key Return 2>/dev/null\"", nullptr);
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
        });
#endif
    }
    ~ErrorBoxDismisser() {
        stop_ = true;
        if (worker_.joinable()) worker_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

bool error_box_can_be_dismissed() {
#ifdef _WIN32
    return std::filesystem::exists(XDOTOOL) && std::filesystem::exists(SHELL);
#else
    return true;
#endif
}

// The child's stderr holds the message only where the box prints it.
std::string stderr_pattern(const std::string& message) {
#ifdef _WIN32
    (void)message;
    return "";
#else
    std::string out;
    for (char c : message) {
        if (std::string("\\^$.|?*+()[]{}").find(c) != std::string::npos) out += '\\';
        out += c;
    }
    return out;
#endif
}

class FontLoad : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open();
        delete_all_fonts();
        font_max_texture_size_override = 0;
    }
    void TearDown() override {
        delete_all_fonts();
        font_max_texture_size_override = 0;
    }
};

// Every glyph's cell (its width by the cell height) lies inside the atlas; a
// glyph follows its predecessor after the gap or starts the next row at x 0.
void expect_packed(const Font* f, uint32_t limit) {
    const int gap = f->max_height >> 2;
    int prev = -1;
    for (int k = 0; k < 512; k++) {
        const int w = f->glyph_width[k];
        EXPECT_LE(w, (int)limit);
        EXPECT_LE(f->glyph_x[k] + w, f->texture_width) << k;
        EXPECT_LE(f->glyph_y[k] + f->max_height, f->texture_height) << k;
        if (w == 0) continue;
        if (prev >= 0) {
            int after = f->glyph_x[prev] + f->glyph_width[prev] + gap;
            bool same_row = f->glyph_y[k] == f->glyph_y[prev] && f->glyph_x[k] == after;
            bool next_row = f->glyph_x[k] == 0 && f->glyph_y[k] == f->glyph_y[prev] + f->max_height + gap &&
                            after + w + gap > (int)limit;
            EXPECT_TRUE(same_row || next_row) << "glyph " << k;
        }
        prev = k;
    }
}

TEST_F(FontLoad, EmbeddedAtlasSizePerTextureLimit) {
    struct Case {
        int limit, width, height;
    } cases[] = {{2048, 2048, 32}, {1024, 1024, 64}, {512, 512, 128}};
    for (const Case& c : cases) {
        font_max_texture_size_override = c.limit;
        Font* f = load(std::vector<uint8_t>(embedded_font, embedded_font + sizeof embedded_font), "normal", false);
        EXPECT_EQ(f->texture_width, c.width) << c.limit;  // as GL reports level 0
        EXPECT_EQ(f->texture_height, c.height) << c.limit;
        EXPECT_EQ(f->max_height, 13);
        EXPECT_EQ(f->max_width, 16);
        EXPECT_EQ(f->cell_width, 9);
        expect_packed(f, (uint32_t)c.limit);
        delete_all_fonts();
    }
}

TEST_F(FontLoad, LimitAbove2048LaysOutAs2048) {
    font_max_texture_size_override = 2048;
    loadfont_data(embedded_font, sizeof embedded_font, "a", false);
    font_max_texture_size_override = 16384;
    loadfont_data(embedded_font, sizeof embedded_font, "b", false);
    const Font* a = fonts[0];
    const Font* b = fonts[1];
    EXPECT_EQ(b->texture_width, 2048);
    EXPECT_EQ(b->texture_height, 32);
    for (int k = 0; k < 512; k++) {
        EXPECT_EQ(a->glyph_x[k], b->glyph_x[k]);
        EXPECT_EQ(a->glyph_y[k], b->glyph_y[k]);
    }
}

TEST(FontLayout, WrapCountsTheGap) {
    // Cell height 4, gap 1: glyph 1's own right edge would end at 64 exactly,
    // but with the gap it passes the limit and starts a row.
    std::vector<uint8_t> data = font_bytes({{60, 4, std::vector<uint8_t>(240, 1)}, {3, 1, {1, 1, 1}}, {2, 1, {1, 1}}});
    Font f = {};
    font_layout(&f, data.data(), (uint32_t)data.size(), 64);
    EXPECT_EQ(f.max_height, 4);
    EXPECT_EQ(f.glyph_x[1], 0);
    EXPECT_EQ(f.glyph_y[1], 5);
    EXPECT_EQ(f.glyph_x[2], 4);
    EXPECT_EQ(f.glyph_y[2], 5);
    EXPECT_EQ(f.glyph_x[3], 7);  // missing records take the cursor, width 0
    EXPECT_EQ(f.glyph_width[3], 0);
    EXPECT_EQ(f.texture_width, 64);
    EXPECT_EQ(f.texture_height, 16);  // 5 + 4 = 9, raised to 16
}

TEST(FontLayout, OnlyTheFirst512RecordsCount) {
    std::vector<Glyph> glyphs(512, Glyph{1, 2, {1, 1}});
    glyphs.push_back({7, 40, std::vector<uint8_t>(280, 1)});  // record 513: ignored
    std::vector<uint8_t> data = font_bytes(glyphs);
    Font f = {};
    font_layout(&f, data.data(), (uint32_t)data.size(), 2048);
    EXPECT_EQ(f.max_height, 2);
    EXPECT_EQ(f.glyph_width[511], 1);
}

TEST(FontLayout, RandomBytesStayInsideTheAtlas) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; round++) {
        std::vector<uint8_t> data(rng() % 70000);
        for (uint8_t& b : data) b = (uint8_t)rng();
        if (round % 3 == 0)  // mostly small glyphs, so that many records exist
            for (uint8_t& b : data) b %= 6;
        uint32_t limit = 1u << (4 + rng() % 8);
        Font f = {};
        font_layout(&f, data.data(), (uint32_t)data.size(), limit);
        ASSERT_GE(f.max_height, 1);
        for (int k = 0; k < 512; k++) {
            ASSERT_LE((uint32_t)f.glyph_width[k], limit);
            if (f.glyph_width[k] == 0) continue;  // a missing record only holds the cursor
            ASSERT_LE(f.glyph_x[k] + f.glyph_width[k], f.texture_width);
            ASSERT_LE(f.glyph_y[k] + f.max_height, f.texture_height);
        }
    }
}

TEST_F(FontLoad, SizeMessageNamesFontSizeAndLimit) {
    if (!error_box_can_be_dismissed()) GTEST_SKIP() << "no xdotool to dismiss the error box";
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process with its own X connection
    const std::string message = "Font 'normal' required texture of size 128x512 but GL_MAX_TEXTURE_SIZE=128";
    remove((fatal_folder() / "graphics_error.log").string().c_str());
    ErrorBoxDismisser dismisser;
    EXPECT_EXIT(
        {
            quiet_fatal_errors();
            font_max_texture_size_override = 128;
            loadfont_data(embedded_font, sizeof embedded_font, "normal", false);
        },
        ::testing::ExitedWithCode(1), stderr_pattern(message));
    EXPECT_TRUE(ends_with(last_logged_error(), " " + message)) << last_logged_error();
}

TEST_F(FontLoad, EmptyDataGivesZeroWidthGlyphsAndOneTexel) {
    const uint8_t none[1] = {0};
    loadfont_data(none, 0, "empty", false);
    const Font* f = fonts[0];
    EXPECT_EQ(f->max_height, 1);
    EXPECT_EQ(f->max_width, 0);
    for (int k = 0; k < 512; k++) EXPECT_EQ(f->glyph_width[k], 0);
    EXPECT_EQ(f->texture_width, 1);
    EXPECT_EQ(f->texture_height, 1);
}

TEST_F(FontLoad, ColourTexelsAreOpaqueAndTransparentIsClear) {
    std::vector<uint8_t> data = font_bytes({{5, 1, {39, 12, 4, 16, 255}}, {2, 2, {15, 255, 7, 8}}});
    const Font* f = load(data, "colour", false);
    int w = 0, h = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w, &h);
    const int x0 = f->glyph_x[0], y0 = f->glyph_y[0];
    EXPECT_EQ(texel_at(level, w, x0 + 0, y0), (Texel{255, 255, 255, 255}));
    EXPECT_EQ(texel_at(level, w, x0 + 1, y0), (Texel{255, 0, 0, 255}));
    EXPECT_EQ(texel_at(level, w, x0 + 2, y0), (Texel{127, 0, 0, 255}));
    EXPECT_EQ(texel_at(level, w, x0 + 3, y0), (Texel{0, 0, 0, 255}));
    EXPECT_EQ(texel_at(level, w, x0 + 4, y0), (Texel{0, 0, 0, 0}));
    const int x1 = f->glyph_x[1], y1 = f->glyph_y[1];
    EXPECT_EQ(texel_at(level, w, x1, y1), (Texel{255, 255, 255, 255}));
    EXPECT_EQ(texel_at(level, w, x1 + 1, y1), (Texel{0, 0, 0, 0}));
    EXPECT_EQ(texel_at(level, w, x1, y1 + 1), (Texel{127, 127, 127, 255}));
    EXPECT_EQ(texel_at(level, w, x1 + 1, y1 + 1), (Texel{63, 63, 63, 255}));
    EXPECT_EQ(texel_at(level, w, x0, y0 + 1), (Texel{0, 0, 0, 0}));  // below glyph 0's one row
}

TEST_F(FontLoad, CoverageTexelsAreWhiteWithBrightnessAlpha) {
    std::vector<uint8_t> data = font_bytes({{6, 1, {39, 15, 16, 255, 12, 4}}});
    const Font* f = load(data, "coverage", true);
    int w = 0, h = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w, &h);
    const int x = f->glyph_x[0], y = f->glyph_y[0];
    EXPECT_EQ(texel_at(level, w, x + 0, y), (Texel{255, 255, 255, 255}));
    EXPECT_EQ(texel_at(level, w, x + 1, y), (Texel{255, 255, 255, 255}));
    EXPECT_EQ(texel_at(level, w, x + 2, y), (Texel{255, 255, 255, 0}));
    EXPECT_EQ(texel_at(level, w, x + 3, y), (Texel{255, 255, 255, 0}));
    EXPECT_EQ(texel_at(level, w, x + 4, y), (Texel{255, 255, 255, 85}));  // trunc(85.1 * 1)
    EXPECT_EQ(texel_at(level, w, x + 5, y), (Texel{255, 255, 255, 42}));  // trunc(85.1 * 0.5)
    EXPECT_EQ(texel_at(level, w, x + 6, y), (Texel{0, 0, 0, 0}));        // outside every image
}

// Level 1 as the box filter makes it from level 0: the rounded mean of 2 x 2.
uint8_t box(const std::vector<uint8_t>& l0, int w0, int x, int y, int c) {
    auto at = [&](int xx, int yy) { return (int)l0[((size_t)yy * w0 + xx) * 4 + c]; };
    return (uint8_t)((at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1) + 2) >> 2);
}

uint8_t contrast(double b, double m) {
    int i = (int)(b * 255.4 / m);
    return (uint8_t)(255.9 * std::pow(i * 0.003907776475185619, 0.4));
}

TEST_F(FontLoad, MinifyContrastBrightensDigitsAndGreekOnly) {
    const Font* f = load(std::vector<uint8_t>(embedded_font, embedded_font + sizeof embedded_font), "normal", false);
    int w0 = 0, h0 = 0, w1 = 0, h1 = 0;
    std::vector<uint8_t> l0 = read_level(f, 0, &w0, &h0);
    std::vector<uint8_t> l1 = read_level(f, 1, &w1, &h1);
    ASSERT_EQ(w1, w0 / 2);
    const int glyphs[] = {48, 53, 57, 256, 263, 279, 65, 97};
    for (int k : glyphs) {
        const bool brightened = (k >= 48 && k <= 57) || k >= 256;
        const int x0 = f->glyph_x[k] >> 1, x1 = x0 + (f->glyph_width[k] >> 1);
        const int y0 = f->glyph_y[k] >> 1, y1 = (f->glyph_y[k] + f->max_height) >> 1;
        double m = 0.001;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                for (int c = 0; c < 4; c++) m = std::max(m, (double)box(l0, w0, x, y, c));
        ASSERT_GT(m, 1) << "glyph " << k << " has ink";
        for (int y = y0; y < y1; y++) {
            for (int x = x0; x < x1; x++) {
                for (int c = 0; c < 4; c++) {
                    uint8_t plain = box(l0, w0, x, y, c);
                    uint8_t want = brightened ? contrast(plain, m) : plain;
                    ASSERT_EQ(l1[((size_t)y * w1 + x) * 4 + c], want) << "glyph " << k << " at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(FontLoad, EveryReducedLevelOfADigitReachesFullBrightness) {
    const Font* f = load(std::vector<uint8_t>(embedded_font, embedded_font + sizeof embedded_font), "normal", false);
    for (int level = 1; level < 12; level++) {
        int w = 0, h = 0;
        std::vector<uint8_t> l = read_level(f, level, &w, &h);
        if (w == 0) break;
        for (int k = 48; k < 304; k++) {
            if (k == 58) k = 256;
            const int x0 = f->glyph_x[k] >> level, x1 = x0 + (f->glyph_width[k] >> level);
            const int y0 = f->glyph_y[k] >> level, y1 = std::min((f->glyph_y[k] + f->max_height) >> level, h);
            int top = 0;
            for (int y = y0; y < y1; y++)
                for (int x = x0; x < x1; x++)
                    for (int c = 0; c < 4; c++) top = std::max(top, (int)l[((size_t)y * w + x) * 4 + c]);
            if (x1 > x0 && y1 > y0) {
                EXPECT_TRUE(top == 255 || top == 0) << "glyph " << k << " level " << level << ": " << top;
            }
        }
        if (w == 1 && h == 1) break;
    }
}

TEST_F(FontLoad, FirstFontBecomesCurrentSecondDoesNot) {
    EXPECT_EQ(current_font, nullptr);
    loadfont_data(embedded_font, sizeof embedded_font, "first", false);
    Font* first = fonts[0];
    EXPECT_EQ(current_font, first);
    EXPECT_EQ(first->style.base, first);
    EXPECT_EQ(first->style.own_glyph_count, 512);
    EXPECT_EQ(font_line_height, 13);
    EXPECT_EQ(font_cell_width, 9);
    loadfont_data(embedded_font, sizeof embedded_font, "first", false);
    EXPECT_EQ(font_registry.count, 2u);  // the same name loads a second font
    EXPECT_EQ(current_font, first);
    EXPECT_NE(fonts[1]->texture, first->texture);
}

TEST_F(FontLoad, CutShortRecordShowsThePixelsItHas) {
    // Record 1 declares 3 x 2 but the data ends after 4 of its 6 pixels.
    std::vector<uint8_t> data = {2, 2, 12, 12, 12, 12, 3, 2, 15, 15, 15, 15};
    const Font* f = load(data, "cut", false);
    EXPECT_EQ(f->glyph_width[1], 3);
    EXPECT_EQ(f->glyph_width[2], 0);
    EXPECT_EQ(f->max_height, 2);
    int w = 0, h = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w, &h);
    const int x = f->glyph_x[1], y = f->glyph_y[1];
    const Texel white = {255, 255, 255, 255}, clear = {0, 0, 0, 0};
    EXPECT_EQ(texel_at(level, w, x + 2, y), white);
    EXPECT_EQ(texel_at(level, w, x, y + 1), white);
    EXPECT_EQ(texel_at(level, w, x + 1, y + 1), clear);
    EXPECT_EQ(texel_at(level, w, x + 2, y + 1), clear);
}

TEST_F(FontLoad, LoneWidthByteGivesAnEmptyGlyph) {
    std::vector<uint8_t> data = {1, 1, 12, 9};
    const Font* f = load(data, "lone", false);
    EXPECT_EQ(f->glyph_width[1], 9);
    EXPECT_EQ(f->max_height, 1);
    EXPECT_EQ(f->glyph_width[2], 0);
}

TEST_F(FontLoad, GlyphWiderThanTheLimitKeepsItsLeftColumns) {
    font_max_texture_size_override = 64;
    std::vector<uint8_t> pixels(100, 12);
    pixels[63] = 15;
    std::vector<uint8_t> data = font_bytes({{100, 1, pixels}, {2, 1, {12, 12}}});
    const Font* f = load(data, "wide", false);
    EXPECT_EQ(f->glyph_width[0], 64);
    EXPECT_EQ(f->texture_width, 64);
    EXPECT_EQ(f->glyph_x[1], 0);  // the next glyph starts a row
    int w = 0, h = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w, &h);
    EXPECT_EQ(texel_at(level, w, 0, 0), (Texel{255, 0, 0, 255}));
    EXPECT_EQ(texel_at(level, w, 63, 0), (Texel{255, 255, 255, 255}));
}

TEST_F(FontLoad, RandomBytesLoadWithinTheAtlas) {
    std::mt19937 rng(777);
    int loaded = 0;
    for (int round = 0; round < 60; round++) {
        std::vector<uint8_t> data(1 + rng() % 20000);
        for (uint8_t& b : data) b = (uint8_t)rng();
        if (round % 2) for (uint8_t& b : data) b %= 9;
        Font probe = {};
        font_layout(&probe, data.data(), (uint32_t)data.size(), 2048);
        if (probe.texture_height > 2048) continue;  // would stop the process with the size message
        font_max_texture_size_override = 2048;
        const Font* f = load(data, "noise", round % 3 == 0);
        EXPECT_EQ(f->texture_width, probe.texture_width);
        EXPECT_EQ(f->texture_height, probe.texture_height);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        loaded++;
        delete_all_fonts();
    }
    EXPECT_GT(loaded, 40);
}

TEST_F(FontLoad, LoadfontReadsAFileLikeTheBytes) {
    std::string path = (std::filesystem::temp_directory_path() / "tess_h3_font.bin").string();
    FILE* out = fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    fwrite(embedded_font, 1, sizeof embedded_font, out);
    fclose(out);
    loadfont(path.c_str(), "fromfile");
    remove(path.c_str());
    loadfont_data(embedded_font, sizeof embedded_font, "frommemory", false);
    ASSERT_EQ(font_registry.count, 2u);
    EXPECT_STREQ(fonts[0]->name, "fromfile");
    for (int k = 0; k < 512; k++) {
        EXPECT_EQ(fonts[0]->glyph_x[k], fonts[1]->glyph_x[k]);
        EXPECT_EQ(fonts[0]->glyph_width[k], fonts[1]->glyph_width[k]);
    }
}

TEST_F(FontLoad, LoadfontOfMissingOrEmptyFileNamesThePath) {
    if (!error_box_can_be_dismissed()) GTEST_SKIP() << "no xdotool to dismiss the error box";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string missing = (std::filesystem::temp_directory_path() / "tess_h3_no_such.fnt").string();
    const std::string empty = (std::filesystem::temp_directory_path() / "tess_h3_empty.fnt").string();
    remove(missing.c_str());
    FILE* f = fopen(empty.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    ErrorBoxDismisser dismisser;
    for (const std::string& path : {missing, empty}) {
        remove((fatal_folder() / "graphics_error.log").string().c_str());
        const std::string message = "loadfont: '" + path + "' not found";
        EXPECT_EXIT(
            {
                quiet_fatal_errors();
                loadfont(path.c_str(), "normal");
            },
            ::testing::ExitedWithCode(1), stderr_pattern(message));
        EXPECT_TRUE(ends_with(last_logged_error(), " " + message)) << last_logged_error();
    }
    remove(empty.c_str());
}

}  // namespace
