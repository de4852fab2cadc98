// Font specifications and variants against the embedded font "normal" (max
// width 16, cell height 13) in a real GL context: keywords and units, scores,
// reuse of close matches, variant names, selection, naming and deletion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "tests/support/test_window.h"

namespace {

void delete_all_fonts() {
    while (fonts && font_registry.count) font_delete(fonts[font_registry.count - 1]);
}

class FontStyleSpec : public ::testing::Test {
protected:
    Font* normal = nullptr;
    void SetUp() override {
        test_window_open();
        delete_all_fonts();
        loadfont_data(embedded_font, sizeof embedded_font, "normal", false);
        normal = fonts[0];
    }
    void TearDown() override { delete_all_fonts(); }
};

Font* named(const char* name) {
    for (uint32_t i = 0; i < font_registry.count; i++)
        if (strcmp(fonts[i]->name, name) == 0) return fonts[i];
    return nullptr;
}

TEST_F(FontStyleSpec, PlainNameIsTheFontItself) {
    EXPECT_EQ(font_from_spec("normal"), normal);
    EXPECT_EQ(font_from_spec("NORMAL"), normal);
    select_font("normal");
    EXPECT_EQ(current_font, normal);
    EXPECT_EQ(font_registry.count, 1u);
}

TEST_F(FontStyleSpec, BoldScoresBelowZeroAndMakesANamedVariant) {
    FontStyle bold = parse_font_spec("normal:bold");
    EXPECT_FLOAT_EQ(bold.x_scale, 1.1f);
    EXPECT_FLOAT_EQ(bold.boldness, 0.05f);
    const double want = 1 - (0.5 * std::log(1.1) / std::log(1.05) + 2.5);
    EXPECT_NEAR(font_match_score(bold, normal->style), want, 1e-4);
    Font* v = font_from_spec("normal:bold");
    ASSERT_NE(v, normal);
    EXPECT_STREQ(v->name, "normal:width=1.1:boldness=0.05");
    EXPECT_EQ(v->texture, normal->texture);
    EXPECT_EQ(v->style.base, normal);
    EXPECT_EQ(v->style.own_glyph_count, 0);
    EXPECT_EQ(v->texture_width, normal->texture_width);
    EXPECT_EQ(v->cell_width, 9);
    EXPECT_EQ(font_registry.count, 2u);
    EXPECT_EQ(font_from_spec("Normal:Bold"), v);  // found again by its score
    EXPECT_EQ(font_registry.count, 2u);
    EXPECT_EQ(current_font, normal);  // making a variant never selects it
}

TEST_F(FontStyleSpec, CloseScaleReusesTheFontFarScaleMakesAVariant) {
    FontStyle near_style = parse_font_spec("normal:scale=1.04");
    EXPECT_NEAR(font_match_score(near_style, normal->style), 0.196, 1e-3);
    EXPECT_EQ(font_from_spec("normal:scale=1.04"), normal);
    Font* v = font_from_spec("normal:scale=1.1");
    EXPECT_NEAR(font_match_score(parse_font_spec("normal:scale=1.1"), normal->style), -0.95, 0.01);
    EXPECT_STREQ(v->name, "normal:width=1.1:height=1.1");
}

TEST_F(FontStyleSpec, SkewKeywordsAndUnits) {
    EXPECT_STREQ(font_from_spec("normal:italic")->name, "normal:skew=0.4");
    EXPECT_EQ(parse_font_spec("normal:skew=45\xB0").skew, (float)std::tan(45 * 0.017453292519943295));
    EXPECT_EQ(parse_font_spec("normal:italic:skew=45\xB0").skew, 1.0f);  // replaces, not adds
    EXPECT_EQ(parse_font_spec("normal:skew=45\xC2\xB0").skew, 1.0f);      // UTF-8 holds the same byte
    EXPECT_FLOAT_EQ(parse_font_spec("normal:italic:skew=50%").skew, 0.9f);
    EXPECT_FLOAT_EQ(parse_font_spec("normal:angle=0.2").skew, 0.2f);
    EXPECT_FLOAT_EQ(parse_font_spec("normal:skew=13px").skew, 1.0f);  // per cell height
}

TEST_F(FontStyleSpec, PixelSizesAreRelativeToTheCellHeight) {
    FontStyle s = parse_font_spec("normal:size=26px");
    EXPECT_EQ(s.x_scale, 2.0f);
    EXPECT_EQ(s.y_scale, 2.0f);
    EXPECT_EQ(parse_font_spec("normal:width=32px").x_scale, (float)(32.0 / 13));
    EXPECT_EQ(parse_font_spec("normal:height=6.5px").y_scale, 0.5f);
    EXPECT_FLOAT_EQ(parse_font_spec("normal:boldness=8px").boldness, 0.5f);  // per widest glyph, 16
    select_font("normal:size=26px");
    EXPECT_EQ(font_line_height, 26);
    EXPECT_EQ(font_cell_width, 18);
    EXPECT_EQ(font_max_width, 32);
}

TEST_F(FontStyleSpec, RelativeScalesAndWeights) {
    FontStyle s = parse_font_spec("normal:size=50%:width=2:height=3:big");
    EXPECT_FLOAT_EQ(s.x_scale, 1.5f);
    EXPECT_FLOAT_EQ(s.y_scale, 2.25f);
    EXPECT_FLOAT_EQ(parse_font_spec("normal:small").y_scale, 2.0f / 3);
    FontStyle w = parse_font_spec("normal:demibold:black:boldness=10%");
    EXPECT_FLOAT_EQ(w.boldness, 0.21f);
    EXPECT_FLOAT_EQ(w.x_scale, 1.2f);
    EXPECT_EQ(parse_font_spec("normal:scale=abc").x_scale, 0.0f);  // no digits read as 0
}

TEST_F(FontStyleSpec, UnknownEmptyAndValuelessSegmentsChangeNothing) {
    FontStyle s = parse_font_spec("normal::nonsense:size:width:skew=:bolder=3");
    EXPECT_EQ(s.base, normal);
    EXPECT_EQ(s.x_scale, 1.0f);
    EXPECT_EQ(s.y_scale, 1.0f);
    EXPECT_EQ(s.skew, 0.0f);  // "skew=" has a value that reads as 0
    EXPECT_EQ(s.boldness, 0.0f);
}

TEST_F(FontStyleSpec, NormalKeywordResetsAllButTheBase) {
    FontStyle s = parse_font_spec("normal:bold:italic:size=2:normal");
    EXPECT_EQ(s.base, normal);
    EXPECT_EQ(s.x_scale, 1.0f);
    EXPECT_EQ(s.y_scale, 1.0f);
    EXPECT_EQ(s.skew, 0.0f);
    EXPECT_EQ(s.boldness, 0.0f);
}

TEST_F(FontStyleSpec, UnknownNameFallsBackToTheCurrentBase) {
    Font* bold = font_from_spec("normal:bold");
    font_select(bold);
    FontStyle s = parse_font_spec("nosuchfont:italic");
    EXPECT_EQ(s.base, normal);
    EXPECT_EQ(s.x_scale, 1.0f);  // the current font's own style is not carried over
    EXPECT_FLOAT_EQ(s.skew, 0.4f);
    EXPECT_EQ(font_registry.count, 2u);
}

TEST_F(FontStyleSpec, ScoresPenaliseOtherBasesScalesBoldnessAndSkew) {
    loadfont_data(embedded_font, sizeof embedded_font, "other", false);
    Font* other = fonts[1];
    EXPECT_EQ(font_match_score(normal->style, other->style), -1000.0f);
    EXPECT_EQ(font_match_score(normal->style, normal->style), 1.0f);
    FontStyle a = normal->style, b = normal->style;
    a.skew = 0.1f;
    EXPECT_NEAR(font_match_score(a, b), 1 - 20 * 0.1, 1e-5);
    a = normal->style;
    a.x_scale = 1.01f;  // 0.204 steps of 5 % cost less than 2 * 0.01 * 16 = 0.32 pixels
    EXPECT_NEAR(font_match_score(a, b), 1 - 0.5 * std::log(1.01) / std::log(1.05), 1e-4);
    a.x_scale = 1.0f;
    a.y_scale = 1.005f;  // 0.102 steps against 2 * 0.005 * 13 = 0.13 pixels
    EXPECT_NEAR(font_match_score(a, b), 1 - 0.5 * std::log(1.005) / std::log(1.05), 1e-4);
    a.y_scale = 0.0f;  // no ratio: the pixel cost of 13 * 2 = 26 stands
    EXPECT_NEAR(font_match_score(a, b), 1 - 0.5 * 26, 1e-4);
}

TEST_F(FontStyleSpec, LaterRegisteredFontWinsATie) {
    Font* copy = font_duplicate(normal);  // the same style, registered later
    EXPECT_EQ(font_from_spec("normal"), copy);
}

TEST_F(FontStyleSpec, SelectStyleKeepsTheRequestedStyleOnACloseMatch) {
    select_font("normal:scale=1.04");
    EXPECT_EQ(current_font, normal);
    EXPECT_FLOAT_EQ(current_style.x_scale, 1.04f);
    EXPECT_EQ(font_line_height, 13);  // metric bytes are the matched font's
    select_font("normal:bold");
    Font* bold = current_font;
    EXPECT_STREQ(bold->name, "normal:width=1.1:boldness=0.05");
    EXPECT_EQ(current_style.boldness, 0.05f);
    const uint32_t count = font_registry.count;
    select_font_style(current_style);  // the same request: nothing to do
    EXPECT_EQ(current_font, bold);
    EXPECT_EQ(font_registry.count, count);
}

TEST_F(FontStyleSpec, SelectFontByTheCurrentNameDoesNothing) {
    font_name_spec("normal:italic", "slanted");
    select_font("slanted");
    Font* slanted = current_font;
    EXPECT_STREQ(slanted->name, "slanted");
    current_style.skew = 3.0f;  // would be reset by a real selection
    select_font("SLANTED");
    EXPECT_EQ(current_style.skew, 3.0f);
}

TEST_F(FontStyleSpec, NamedVariantBringsItsStyleAlong) {
    font_name_spec("normal:italic", "slanted");
    FontStyle s = parse_font_spec("slanted:bold");
    EXPECT_EQ(s.base, normal);
    EXPECT_FLOAT_EQ(s.skew, 0.4f);
    EXPECT_FLOAT_EQ(s.x_scale, 1.1f);
    font_name_spec("normal", "renamed");  // a base font itself can be renamed
    EXPECT_STREQ(normal->name, "renamed");
}

TEST_F(FontStyleSpec, CopySpecRegistersASecondFontWithTheSameStyle) {
    font_copy_spec("normal:bold", "strong");
    Font* v = named("normal:width=1.1:boldness=0.05");
    Font* strong = named("strong");
    ASSERT_NE(v, nullptr);
    ASSERT_NE(strong, nullptr);
    EXPECT_EQ(font_match_score(strong->style, v->style), 1.0f);
    EXPECT_EQ(strong->texture, normal->texture);
    EXPECT_EQ(font_registry.count, 3u);
}

TEST_F(FontStyleSpec, DeleteSpecRemovesTheRealisingFontOnly) {
    Font* bold = font_from_spec("normal:bold");
    font_delete_spec("normal:bold");
    EXPECT_EQ(named("normal:width=1.1:boldness=0.05"), nullptr);
    EXPECT_EQ(font_registry.count, 1u);
    EXPECT_TRUE(glIsTexture(normal->texture));
    font_delete_spec("nosuch:bold");  // no font of that name: nothing made, nothing deleted
    EXPECT_EQ(font_registry.count, 1u);
    (void)bold;
}

TEST_F(FontStyleSpec, DeleteSpecFamilyOfTheBaseTakesEveryVariant) {
    loadfont_data(embedded_font, sizeof embedded_font, "other", false);
    font_from_spec("normal:bold");
    font_from_spec("normal:italic");
    const GLuint texture = normal->texture;
    font_delete_spec_family("normal");
    ASSERT_EQ(font_registry.count, 1u);
    EXPECT_STREQ(fonts[0]->name, "other");
    EXPECT_EQ(current_font, fonts[0]);
    EXPECT_FALSE(glIsTexture(texture));
}

TEST_F(FontStyleSpec, DeleteSpecFamilyOfAVariantDeletesNothing) {
    font_delete_spec_family("normal:bold");  // registers the bold variant, which is no one's base
    EXPECT_EQ(font_registry.count, 2u);
    font_delete_spec_family("normal:bold");
    EXPECT_EQ(font_registry.count, 2u);
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
