// Measuring text: the measuring rule per glyph, line widths, prefixes, caret
// indices and the word width used by wrapping, on a font with known widths
// (no GL needed) and on the embedded font in a real context.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/text/font.h"
#include "framework/text/text.h"
#include "tests/support/test_window.h"

namespace {

// Cell width 9 (glyph 67 is 8 wide), so the spacing rounds to trunc(9 * 0.13 + 0.5) = 1.
Font* known_font() {
    static Font* f = nullptr;
    if (!f) {
        f = (Font*)calloc(1, sizeof(Font));
        for (int k = 0; k < 512; k++) f->glyph_width[k] = 4;
        f->glyph_width['A'] = 7;
        f->glyph_width['B'] = 6;
        f->glyph_width['C'] = 8;
        f->max_width = 8;
        f->max_height = 10;
        f->cell_width = 9;
        f->style = default_style;
        f->style.base = f;
        f->style.own_glyph_count = 512;
    }
    return f;
}

class TextMeasure : public ::testing::Test {
protected:
    void SetUp() override {
        fixed_pitch = 0;
        letter_spacing = 0.13f;
        known_font()->style = default_style;
        known_font()->style.base = known_font();
        known_font()->style.own_glyph_count = 512;
        use(known_font());
    }
    // font_select ignores the current font, so step off it first to refresh the metrics.
    static void use(Font* f) {
        current_font = nullptr;
        font_select(f);
    }
    const int spacing = 1;
};

TEST_F(TextMeasure, GlyphAdvanceRoundsSpacingAndGlyphApart) {
    EXPECT_EQ(char_advance('A'), spacing + 7);
    // Boldness 0.06: the glyph part trunc(6 * 1.06 + 0.5) = 6 beside the spacing 1, while
    // draw_text rounds the whole sum once: trunc(1.17 + 6.36 + 0.5) = 8.
    known_font()->style.boldness = 0.06f;
    use(known_font());
    EXPECT_EQ(char_advance('B'), spacing + 6);
    // x_scale 1.5 widens the cell too: spacing trunc(13 * 0.13 + 0.5) = 2, glyph trunc(9 * 1.06 + 0.5).
    known_font()->style.x_scale = 1.5f;
    use(known_font());
    ASSERT_EQ(font_cell_width, 13);
    EXPECT_EQ(char_advance('B'), 2 + 10);
}

TEST_F(TextMeasure, FixedPitchAndNoFontGiveFlatWidths) {
    fixed_pitch = 1;
    EXPECT_EQ(char_advance('A'), 9);
    EXPECT_EQ(text_width("ABC"), 3 * 9 - 1);
    fixed_pitch = 0;
    current_font = nullptr;
    EXPECT_EQ(char_advance('A'), 5);
    EXPECT_EQ(text_width("abc"), 14);
    use(known_font());
}

TEST_F(TextMeasure, WidthCoversTheFirstLineLessOne) {
    EXPECT_EQ(text_width(""), 0);
    EXPECT_EQ(text_width("\nABC"), 0);
    EXPECT_EQ(text_width("A"), spacing + 7 - 1);
    EXPECT_EQ(text_width("AB"), (spacing + 7) + (spacing + 6) - 1);
    EXPECT_EQ(text_width("AB\nCCCC"), text_width("AB"));
    EXPECT_EQ(text_width(nullptr), text_width("NULL?"));  // measured as it is drawn
}

TEST_F(TextMeasure, ControlBytesAndPayloadsHaveNoWidth) {
    const int ab = text_width("AB");
    EXPECT_EQ(text_width("A\x02\x01\x03" "B"), ab);
    EXPECT_EQ(text_width("A\x05\x01XY\nZB"), ab);  // a payload 10 is no line break
    EXPECT_EQ(text_width("A\x03" "CCCB"), ab);
    EXPECT_EQ(text_width("A\x07" "CCCCCCCB"), ab);
}

TEST_F(TextMeasure, ZeroPayloadBytesDoNotEndTheText) {
    // alpha as markup writes it (2, 1, 0) and a return to full size (5, 2, 0, 1, 0, 0)
    const char greek[] = {'A', 2, 1, 0, 'B', 0};
    const char size[] = {'A', 5, 2, 0, 1, 0, 0, 'B', 0};
    const int ab = text_width("AB");
    EXPECT_EQ(text_width(greek), ab);
    EXPECT_EQ(text_width(size), ab);
    EXPECT_EQ(text_index_at(greek, 1000), 5);
    EXPECT_EQ(text_index_at(size, 1000), 8);
    EXPECT_EQ(text_word_width(size), ab);
}

// Texts in heap blocks of exactly their size, so that ASan sees a read past
// the terminator. Control bytes other than 2 and 5 never carry zeros: a 0 in
// what would be their payload is the end of the text.
TEST_F(TextMeasure, ControlByteCutByTheEndStopsAtTheTerminator) {
    const int a = text_width("A");
    for (char code : {1, 3, 4, 6, 7}) {
        for (std::vector<char> s : {std::vector<char>{'A', code, 0}, std::vector<char>{'A', code, 'B', 0}}) {
            const int end = (int)s.size() - 1;
            EXPECT_EQ(text_width(s.data()), a) << (int)code;
            EXPECT_EQ(text_word_width(s.data()), a) << (int)code;
            EXPECT_EQ(text_index_at(s.data(), 1000), end) << (int)code;
            EXPECT_EQ(text_width_prefix(s.data(), end - 1), a) << (int)code;
        }
    }
    // A 10 in the payload is still payload, not a line break.
    EXPECT_EQ(text_width("A\x03\nBCC"), text_width("AC"));
}

// A style may scale glyphs past any int: widths saturate at INT_MAX instead
// of wrapping to negative ones, and a NaN scale leaves the spacing alone.
TEST_F(TextMeasure, ScalesBeyondAnyIntSaturate) {
    known_font()->style.x_scale = 1e30f;
    use(known_font());
    EXPECT_EQ(char_advance('A'), INT_MAX);
    EXPECT_EQ(text_width("AAAA"), INT_MAX - 1);
    EXPECT_EQ(text_word_width("AB CC"), INT_MAX - 1);
    EXPECT_EQ(text_index_at("AB", 1000), 0);
    EXPECT_EQ(text_index_at("AB", INT_MAX), 1);
    known_font()->style.x_scale = std::nanf("");
    use(known_font());
    EXPECT_EQ(char_advance('A'), 0);  // the cell width of a NaN scale is 0, and so is the spacing
}

TEST_F(TextMeasure, PrefixMeasuresTheFirstBytesOnly) {
    const char* s = "ABC";
    EXPECT_EQ(text_width_prefix(s, 1), text_width("A"));
    EXPECT_EQ(text_width_prefix(s, 2), text_width("AB"));
    EXPECT_EQ(text_width_prefix(s, 3), text_width(s));
    EXPECT_EQ(text_width_prefix(s, -1), text_width(s));
    EXPECT_EQ(text_width_prefix(s, 99), text_width(s));
    EXPECT_EQ(text_width_prefix(s, 0), 0);
    // A prefix ending inside a command stops there: the command is cut short.
    EXPECT_EQ(text_width_prefix("A\x05\x01XYZWB", 4), text_width("A"));
    char writable[] = "ABC";
    text_width_prefix(writable, 1);
    EXPECT_STREQ(writable, "ABC");
}

TEST_F(TextMeasure, CaretIndexIsTheNearestGlyphEdge) {
    const int a = char_advance('A'), b = char_advance('B');  // 8 and 7
    EXPECT_EQ(text_index_at("AB", a / 2 - 1), 0);
    EXPECT_EQ(text_index_at("AB", a / 2 + 1), 1);
    EXPECT_EQ(text_index_at("AB", a + b - 2), 2);
    EXPECT_EQ(text_index_at("AB", 1000), 2);
    EXPECT_EQ(text_index_at("", 5), 0);
    EXPECT_EQ(text_index_at("\nAB", 5), 0);
    EXPECT_EQ(text_index_at("AB\nCD", 1000), 2);
    // Control codes take index but no width.
    EXPECT_EQ(text_index_at("A\x02\x01\x03" "B", a + b - 2), 5);
    EXPECT_EQ(text_index_at("A\x02\x01\x03" "B", a + 1), 4);
}

TEST_F(TextMeasure, WordEndsAtWhitespace) {
    EXPECT_EQ(text_word_width("AB CC"), text_width("AB"));
    for (char ws : {'\t', '\n', '\v', '\f', '\r'}) {
        char s[] = {'A', 'B', ws, 'C', 0};
        EXPECT_EQ(text_word_width(s), text_width("AB")) << (int)ws;
    }
    EXPECT_EQ(text_word_width(" AB"), 0);
}

TEST(TextMeasureEmbedded, MatchesTheGlyphTable) {
    test_window_open();
    current_font = nullptr;
    loadfont_data(embedded_font, embedded_font_size, "normal", false);
    ASSERT_NE(current_font, nullptr);
    ASSERT_EQ(font_cell_width, 9);  // glyph 67 is 8 wide
    fixed_pitch = 0;
    letter_spacing = 0.13f;
    const int* w = current_font->glyph_width;
    EXPECT_EQ(char_advance('C'), 1 + 8);
    EXPECT_EQ(text_width("Hello"), 5 + w['H'] + w['e'] + 2 * w['l'] + w['o'] - 1);
    EXPECT_EQ(text_width("\t"), 1 + 16 - 1);  // the tab glyph is 16 wide
    int hello = text_width("Hello");
    EXPECT_EQ(text_index_at("Hello world", hello + 1), 5);
}

}  // namespace
