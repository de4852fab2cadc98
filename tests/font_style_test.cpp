// Font specifications and variants against the embedded font "normal" (max
// width 16, cell height 13) in a real GL context: keywords and units, scores,
// reuse of close matches, variant names, selection, naming and deletion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/fonts.h"
#include "tests/support/test_window.h"

namespace {

Font* named(const char* name) {
    for (uint32_t i = 0; i < font_registry.count; i++)
        if (strcmp(fonts[i]->name, name) == 0) return fonts[i];
    return nullptr;
}

class FontStyleSpec : public ::testing::Test {
protected:
    Font* normal = nullptr;
    void SetUp() override {
        test_window_open();
        delete_all_fonts();
        normal = load_embedded_font("normal");
    }
    void TearDown() override { delete_all_fonts(); }
};

TEST_F(FontStyleSpec, KeywordsAndUnits) {
    const double tan45 = std::tan(45 * 0.017453292519943295);
    const struct {
        const char* spec;
        double x, y, skew, boldness;
    } cases[] = {
        {"normal", 1, 1, 0, 0},
        {"NORMAL:BOLD", 1.1, 1, 0, 0.05},
        {"normal:size=26px", 2, 2, 0, 0},  // pixels count against the cell height
        {"normal:width=32px", 32.0 / 13, 1, 0, 0},
        {"normal:height=6.5px:boldness=8px", 1, 0.5, 0, 0.5},  // boldness against the widest glyph
        {"normal:size=50%:width=2:height=3:big", 1.5, 2.25, 0, 0},
        {"normal:small:scale=1.5", 1, 1, 0, 0},
        {"normal:demibold:black:boldness=10%", 1.2, 1, 0, 0.21},
        {"normal:italic", 1, 1, 0.4, 0},
        {"normal:italic:skew=45\xB0", 1, 1, tan45, 0},      // degrees replace
        {"normal:angle=45\xC2\xB0", 1, 1, tan45, 0},         // UTF-8 holds the same byte
        {"normal:italic:skew=50%:angle=13px", 1, 1, 1.9, 0},  // others add
        {"normal:bold:italic:size=2:normal", 1, 1, 0, 0},
        {"normal:scale=abc", 0, 0, 0, 0},  // no digits read as 0
        {"normal::nonsense:size:width:skew=:bolder=3", 1, 1, 0, 0},  // unknown, empty, valueless
        {"nosuchfont:italic", 1, 1, 0.4, 0},  // the current font's base
    };
    for (const auto& c : cases) {
        FontStyle s = parse_font_spec(c.spec);
        EXPECT_EQ(s.base, normal) << c.spec;
        EXPECT_FLOAT_EQ(s.x_scale, (float)c.x) << c.spec;
        EXPECT_FLOAT_EQ(s.y_scale, (float)c.y) << c.spec;
        EXPECT_FLOAT_EQ(s.skew, (float)c.skew) << c.spec;
        EXPECT_FLOAT_EQ(s.boldness, (float)c.boldness) << c.spec;
    }
    EXPECT_EQ(font_registry.count, 1u);  // parsing alone makes no variant
}

TEST_F(FontStyleSpec, ScoresPenaliseOtherBasesScalesBoldnessAndSkew) {
    load_embedded_font("other");
    const FontStyle n = normal->style;
    EXPECT_EQ(font_match_score(n, fonts[1]->style), -1000.0f);
    EXPECT_EQ(font_match_score(n, n), 1.0f);
    EXPECT_NEAR(font_match_score(parse_font_spec("normal:bold"), n), 1 - (0.5 * log(1.1) / log(1.05) + 2.5), 1e-5);
    EXPECT_NEAR(font_match_score(parse_font_spec("normal:scale=1.04"), n), 0.196, 1e-3);
    EXPECT_NEAR(font_match_score(parse_font_spec("normal:scale=1.1"), n), -0.95, 0.01);
    EXPECT_NEAR(font_match_score(parse_font_spec("normal:skew=0.1"), n), -1, 1e-5);
    // Twice the pixel change is the cheaper cost here: 2 * 0.5 * 13 = 13 against 14.2 steps.
    FontStyle tiny = n;
    tiny.y_scale = 0.5f;
    EXPECT_NEAR(font_match_score(tiny, n), 1 - 0.5 * 13, 1e-4);
    tiny.y_scale = 0;  // no ratio at all: the pixel cost stands
    EXPECT_NEAR(font_match_score(tiny, n), 1 - 0.5 * 2 * 13, 1e-4);
}

TEST_F(FontStyleSpec, VariantsAreMadeOnceNamedAndNeverSelected) {
    EXPECT_EQ(font_from_spec("normal"), normal);
    EXPECT_EQ(font_from_spec("normal:scale=1.04"), normal);  // close enough
    Font* bold = font_from_spec("normal:bold");
    EXPECT_STREQ(bold->name, "normal:width=1.1:boldness=0.05");
    EXPECT_EQ(bold->texture, normal->texture);
    EXPECT_EQ(bold->style.base, normal);
    EXPECT_EQ(bold->style.own_glyph_count, 0);
    EXPECT_EQ(bold->cell_width, 9);
    EXPECT_EQ(font_from_spec("Normal:Bold"), bold);
    EXPECT_STREQ(font_from_spec("normal:scale=1.1")->name, "normal:width=1.1:height=1.1");
    EXPECT_STREQ(font_from_spec("normal:italic")->name, "normal:skew=0.4");
    EXPECT_EQ(font_registry.count, 4u);
    EXPECT_EQ(current_font, normal);
    Font* copy = font_duplicate(normal);  // the same style, registered later, wins the tie
    EXPECT_EQ(font_from_spec("normal"), copy);
}

TEST_F(FontStyleSpec, SelectionKeepsTheRequestedStyleAndItsMetrics) {
    select_font("normal:scale=1.04");
    EXPECT_EQ(current_font, normal);
    EXPECT_FLOAT_EQ(current_style.x_scale, 1.04f);
    EXPECT_EQ(font_line_height, 13);  // metric bytes are the matched font's
    select_font("normal:size=26px");
    EXPECT_EQ(font_line_height, 26);
    EXPECT_EQ(font_cell_width, 18);
    EXPECT_EQ(font_max_width, 32);
    Font* big = current_font;
    const uint32_t count = font_registry.count;
    select_font_style(current_style);  // the same request: nothing to do
    EXPECT_EQ(current_font, big);
    EXPECT_EQ(font_registry.count, count);
}

TEST_F(FontStyleSpec, NamedVariantsCarryTheirStyle) {
    font_name_spec("normal:italic", "slanted");
    FontStyle s = parse_font_spec("slanted:bold");
    EXPECT_EQ(s.base, normal);
    EXPECT_FLOAT_EQ(s.skew, 0.4f);
    EXPECT_FLOAT_EQ(s.x_scale, 1.1f);
    select_font("slanted");
    EXPECT_STREQ(current_font->name, "slanted");
    current_style.skew = 3.0f;  // a real selection would reset it
    select_font("SLANTED");     // the current font's own name: nothing happens
    EXPECT_EQ(current_style.skew, 3.0f);
    font_copy_spec("normal:bold", "strong");
    ASSERT_NE(named("strong"), nullptr);
    EXPECT_EQ(font_match_score(named("strong")->style, named("normal:width=1.1:boldness=0.05")->style), 1.0f);
    font_name_spec("normal", "renamed");  // a base font itself takes the name
    EXPECT_STREQ(normal->name, "renamed");
}

TEST_F(FontStyleSpec, DeleteSpecRemovesTheRealisingFontOnly) {
    font_from_spec("normal:bold");
    font_delete_spec("normal:bold");
    EXPECT_EQ(font_registry.count, 1u);
    EXPECT_TRUE(glIsTexture(normal->texture));
    font_delete_spec("nosuch:bold");  // no font of that name: nothing made, nothing deleted
    EXPECT_EQ(font_registry.count, 1u);
}

TEST_F(FontStyleSpec, DeleteSpecFamily) {
    font_delete_spec_family("normal:bold");  // registers the variant, which is no one's base
    EXPECT_EQ(font_registry.count, 2u);
    load_embedded_font("other");
    font_from_spec("normal:italic");
    const GLuint texture = normal->texture;
    font_delete_spec_family("normal");
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_STREQ(fonts[0]->name, "other");
    EXPECT_EQ(current_font, fonts[0]);
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(FontStyleSpec, PlaceholderStandsInBeforeAnyFontExists) {
    delete_all_fonts();
    FontStyle s = parse_font_spec("ghost:bold");
    ASSERT_EQ(font_registry.count, 1u);
    Font* p = fonts[0];
    EXPECT_STREQ(p->name, "ghost:bold");
    EXPECT_EQ(s.base, p);
    EXPECT_FLOAT_EQ(s.boldness, 0.05f);
    EXPECT_EQ(current_font, nullptr);  // registered, not selected
    select_font("ghost:bold");
    ASSERT_NE(current_font, nullptr);
    EXPECT_EQ(current_font->style.base, p);
    EXPECT_EQ(font_line_height, 1);
}

}  // namespace
