// Font loading with a real GL context: atlas layout and size per texture
// limit, the size message, texels of both encodings read back, the mipmap
// contrast step, first-font selection, hostile data and loadfont's errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/files.h"
#include "tests/support/fonts.h"
#include "tests/support/test_window.h"

namespace {

const std::vector<uint8_t> embedded(embedded_font, embedded_font + embedded_font_size);

Font* load(const std::vector<uint8_t>& data, bool coverage = false, const char* name = "normal") {
    loadfont_data(data.data(), (uint32_t)data.size(), name, coverage);
    return fonts[font_registry.count - 1];
}

std::vector<uint8_t> read_level(const Font* f, int level, int* w) {
    int h = 0;
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels((size_t)*w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// The texel at (x, y) as 0xRRGGBBAA.
uint32_t texel(const std::vector<uint8_t>& level, int w, int x, int y) {
    const uint8_t* p = &level[((size_t)y * w + x) * 4];
    return (uint32_t)p[0] << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// Fatal errors run in a death test's child and log to the scratch folder.
class FontLoad : public ::testing::Test {
protected:
    ScratchFolder scratch;
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

TEST_F(FontLoad, EmbeddedAtlasSizeAndPackingPerTextureLimit) {
    const int cases[][3] = {{16384, 2048, 32}, {2048, 2048, 32}, {1024, 1024, 64}, {512, 512, 128}};
    for (const auto& c : cases) {
        font_max_texture_size_override = c[0];
        const Font* f = load(embedded);
        EXPECT_EQ(f->texture_width, c[1]) << c[0];  // as GL reports level 0
        EXPECT_EQ(f->texture_height, c[2]) << c[0];
        EXPECT_EQ(f->max_height, 13);
        EXPECT_EQ(f->max_width, 16);
        EXPECT_EQ(f->cell_width, 9);
        // Each glyph follows its predecessor after the gap of 3, or starts the
        // next row (16 down) when the gap would pass the lowered limit.
        const int limit = std::min(c[0], 2048);
        for (int k = 1; k < 512; k++) {
            const int after = f->glyph_x[k - 1] + f->glyph_width[k - 1] + 3;
            if (after + f->glyph_width[k] + 3 > limit) {
                EXPECT_EQ(f->glyph_x[k], 0) << k;
                EXPECT_EQ(f->glyph_y[k], f->glyph_y[k - 1] + 16) << k;
            } else {
                EXPECT_EQ(f->glyph_x[k], after) << k;
                EXPECT_EQ(f->glyph_y[k], f->glyph_y[k - 1]) << k;
            }
        }
        delete_all_fonts();
    }
}

TEST(FontLayout, WrapCountsTheGapAndMissingRecordsHoldTheCursor) {
    // Cell height 4, gap 1: glyph 1 would end at 64 exactly, but with the gap it wraps.
    std::vector<uint8_t> data(2 + 240, 1);
    data[0] = 60, data[1] = 4;
    data.insert(data.end(), {3, 1, 1, 1, 1, 2, 1, 1, 1});
    Font f = {};
    font_layout(&f, data.data(), (uint32_t)data.size(), 64);
    EXPECT_EQ(f.max_height, 4);
    EXPECT_EQ(f.glyph_x[1], 0);
    EXPECT_EQ(f.glyph_y[1], 5);
    EXPECT_EQ(f.glyph_x[2], 4);
    EXPECT_EQ(f.glyph_x[3], 7);
    EXPECT_EQ(f.glyph_width[3], 0);
    EXPECT_EQ(f.texture_width, 64);
    EXPECT_EQ(f.texture_height, 16);  // 5 + 4, raised to a power of two
}

TEST_F(FontLoad, TooTallAtlasStopsWithTheSizeMessage) {
    if (!ErrorBoxDismisser::available()) GTEST_SKIP() << "no xdotool to dismiss the error box";
    ErrorBoxDismisser dismisser;
    expect_fatal(
        [] {
            font_max_texture_size_override = 128;
            load(embedded);
        },
        "Font 'normal' required texture of size 128x512 but GL_MAX_TEXTURE_SIZE=128", scratch.dir);
}

TEST_F(FontLoad, MissingOrEmptyFileNamesThePath) {
    if (!ErrorBoxDismisser::available()) GTEST_SKIP() << "no xdotool to dismiss the error box";
    const std::string missing = scratch.path("no_such.fnt");
    const std::string empty = scratch.path("empty.fnt");
    write_file(empty, "");
    ErrorBoxDismisser dismisser;
    for (const std::string& path : {missing, empty})
        expect_fatal([&] { loadfont(path.c_str(), "normal"); }, "loadfont: '" + path + "' not found", scratch.dir);
}

TEST_F(FontLoad, FileLoadsLikeTheBytes) {
    const std::string path = scratch.path("embedded.fnt");
    write_file(path, embedded);
    loadfont(path.c_str(), "fromfile");
    const Font* memory = load(embedded);
    EXPECT_STREQ(fonts[0]->name, "fromfile");
    EXPECT_EQ(memcmp(fonts[0]->glyph_x, memory->glyph_x, sizeof memory->glyph_x), 0);
    EXPECT_EQ(memcmp(fonts[0]->glyph_width, memory->glyph_width, sizeof memory->glyph_width), 0);
}

TEST_F(FontLoad, EmptyDataGivesZeroWidthGlyphsAndOneTexel) {
    const Font* f = load({});
    EXPECT_EQ(f->max_height, 1);
    EXPECT_EQ(f->max_width, 0);
    for (int k = 0; k < 512; k++) ASSERT_EQ(f->glyph_width[k], 0);
    EXPECT_EQ(f->texture_width, 1);
    EXPECT_EQ(f->texture_height, 1);
}

TEST_F(FontLoad, TexelsOfBothEncodings) {
    // Colour indices 39 white, 12 red, 4 dark red, 16 black, 255 transparent, 15 white.
    const std::vector<uint8_t> data = {7, 1, 39, 12, 4, 16, 255, 15, 8};
    const uint32_t colour[] = {0xFFFFFFFF, 0xFF0000FF, 0x7F0000FF, 0x000000FF, 0, 0xFFFFFFFF, 0x3F3F3FFF};
    const uint32_t coverage[] = {0xFFFFFFFF, 0xFFFFFF55, 0xFFFFFF2A, 0xFFFFFF00, 0xFFFFFF00, 0xFFFFFFFF, 0xFFFFFF3F};
    for (bool cover : {false, true}) {
        const Font* f = load(data, cover);
        int w = 0;
        std::vector<uint8_t> level = read_level(f, 0, &w);
        ASSERT_EQ(w, 8);
        for (int c = 0; c < 7; c++) EXPECT_EQ(texel(level, w, c, 0), cover ? coverage[c] : colour[c]) << c;
        EXPECT_EQ(texel(level, w, 7, 0), 0u);  // outside every image
    }
}

TEST_F(FontLoad, MinifyContrastBrightensDigitsAndGreekOnly) {
    const Font* f = load(embedded);
    int w0 = 0, w1 = 0;
    std::vector<uint8_t> l0 = read_level(f, 0, &w0), l1 = read_level(f, 1, &w1);
    auto box = [&](int x, int y, int c) {  // level 1 as the box filter makes it
        auto at = [&](int xx, int yy) { return (int)l0[((size_t)yy * w0 + xx) * 4 + c]; };
        return (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1) + 2) >> 2;
    };
    for (int k : {48, 53, 57, 256, 263, 279, 65, 97}) {
        const bool brightened = k <= 57 || k >= 256;
        const int x0 = f->glyph_x[k] >> 1, x1 = x0 + (f->glyph_width[k] >> 1);
        const int y0 = f->glyph_y[k] >> 1, y1 = (f->glyph_y[k] + f->max_height) >> 1;
        double m = 0.001;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                for (int c = 0; c < 4; c++) m = std::max(m, (double)box(x, y, c));
        for (int y = y0; y < y1; y++) {
            for (int x = x0; x < x1; x++) {
                for (int c = 0; c < 4; c++) {
                    int want = box(x, y, c);
                    if (brightened) want = (int)(255.9 * std::pow((int)(want * 255.4 / m) * 0.003907776475185619, 0.4));
                    ASSERT_EQ(l1[((size_t)y * w1 + x) * 4 + c], want) << "glyph " << k << " at " << x << "," << y;
                }
            }
        }
    }
}

// The upload, the contrast pass's read-back and its re-upload all pin their
// own pixel store: a caller's leaves the atlas as it is without one.
TEST_F(FontLoad, CallersPixelStoreLeavesTheAtlasAlone) {
    const Font* plain = load(embedded);
    int w = 0;
    std::vector<uint8_t> l0 = read_level(plain, 0, &w), l1 = read_level(plain, 1, &w);
    test_scramble_pixel_store();
    const Font* scrambled = load(embedded, false, "scrambled");
    EXPECT_TRUE(test_pixel_store_kept());
    EXPECT_TRUE(read_level(scrambled, 0, &w) == l0);
    EXPECT_TRUE(read_level(scrambled, 1, &w) == l1);
}

TEST_F(FontLoad, FirstFontBecomesCurrentSecondDoesNot) {
    EXPECT_EQ(current_font, nullptr);
    Font* first = load(embedded);
    EXPECT_EQ(current_font, first);
    EXPECT_EQ(first->style.base, first);
    EXPECT_EQ(first->style.own_glyph_count, 512);
    EXPECT_EQ(font_line_height, 13);
    EXPECT_EQ(font_cell_width, 9);
    Font* second = load(embedded);  // the same name loads a second font
    EXPECT_EQ(font_registry.count, 2u);
    EXPECT_EQ(current_font, first);
    EXPECT_NE(second->texture, first->texture);
}

TEST_F(FontLoad, CutShortRecordsShowThePixelsTheyHave) {
    // Record 1 declares 3 x 2 but only 4 pixels follow; record 2 is a lone width byte.
    const Font* f = load({2, 2, 12, 12, 12, 12, 3, 2, 15, 15, 15, 15});
    EXPECT_EQ(f->glyph_width[1], 3);
    EXPECT_EQ(f->glyph_width[2], 0);
    int w = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w);
    const int x = f->glyph_x[1];
    EXPECT_EQ(texel(level, w, x + 2, 0), 0xFFFFFFFFu);
    EXPECT_EQ(texel(level, w, x, 1), 0xFFFFFFFFu);
    EXPECT_EQ(texel(level, w, x + 1, 1), 0u);
    EXPECT_EQ(texel(level, w, x + 2, 1), 0u);
    const Font* g = load({1, 1, 12, 9});
    EXPECT_EQ(g->glyph_width[1], 9);  // its missing height reads as 0
    EXPECT_EQ(g->max_height, 1);
}

TEST_F(FontLoad, GlyphWiderThanTheLimitKeepsItsLeftColumns) {
    font_max_texture_size_override = 64;
    std::vector<uint8_t> data(102, 12);
    data[0] = 100, data[1] = 1, data[2 + 63] = 15;
    data.insert(data.end(), {2, 1, 12, 12});
    const Font* f = load(data);
    EXPECT_EQ(f->glyph_width[0], 64);
    EXPECT_EQ(f->texture_width, 64);
    EXPECT_EQ(f->glyph_x[1], 0);  // the next glyph starts a row
    int w = 0;
    std::vector<uint8_t> level = read_level(f, 0, &w);
    EXPECT_EQ(texel(level, w, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(texel(level, w, 63, 0), 0xFFFFFFFFu);
}

TEST_F(FontLoad, RandomBytesLoadInsideTheAtlas) {
    std::mt19937 rng(777);
    int loaded = 0;
    for (int round = 0; round < 80; round++) {
        std::vector<uint8_t> data(1 + rng() % 20000);
        for (uint8_t& b : data) b = (uint8_t)(round % 2 ? rng() % 9 : rng());  // odd rounds: many small glyphs
        font_max_texture_size_override = 128 << (rng() % 5);
        Font probe = {};
        font_layout(&probe, data.data(), (uint32_t)data.size(), (uint32_t)font_max_texture_size_override);
        for (int k = 0; k < 512; k++) {
            if (probe.glyph_width[k] == 0) continue;  // a missing record only holds the cursor
            ASSERT_LE(probe.glyph_x[k] + probe.glyph_width[k], probe.texture_width);
            ASSERT_LE(probe.glyph_y[k] + probe.max_height, probe.texture_height);
        }
        if (probe.texture_height > font_max_texture_size_override) continue;  // would stop with the size message
        const Font* f = load(data, round % 3 == 0);
        EXPECT_EQ(f->texture_height, probe.texture_height);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
        loaded++;
        delete_all_fonts();
    }
    EXPECT_GT(loaded, 40);
}

}  // namespace
