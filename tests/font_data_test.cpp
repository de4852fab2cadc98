// Checks of the embedded default font's bytes, without GL: the record walk, the index
// layout, the colours each kind of glyph may use, and the metrics text layout relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/text/font.h"

namespace {

struct Record {
    int width = 0;
    int height = 0;
    const unsigned char* pixels = nullptr;

    unsigned char at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

// Walks the records the way the loader does, but stops at a record cut short.
std::vector<Record> walk(const unsigned char* data, size_t length, size_t* consumed) {
    std::vector<Record> out;
    size_t at = 0;
    while (at + 2 <= length) {
        Record r;
        r.width = data[at];
        r.height = data[at + 1];
        size_t size = (size_t)r.width * r.height;
        if (length - at - 2 < size) break;
        r.pixels = data + at + 2;
        out.push_back(r);
        at += 2 + size;
    }
    *consumed = at;
    return out;
}

std::vector<Record> records() {
    size_t consumed = 0;
    return walk(embedded_font, embedded_font_size, &consumed);
}

bool is_placeholder_index(int k) {
    return (k <= 8) || (k >= 10 && k <= 31) || (k >= 127 && k <= 162) || k == 164 || k == 165 ||
           (k >= 167 && k <= 171) || (k >= 173 && k <= 255);
}

bool is_drawn_index(int k) {
    return (k >= 33 && k <= 126) || k == 163 || k == 166 || k == 172 || (k >= 256 && k < 304);
}

// Lowest row holding a non-transparent pixel, or -1.
int ink_bottom(const Record& r) {
    for (int y = r.height - 1; y >= 0; y--)
        for (int x = 0; x < r.width; x++)
            if (r.at(x, y) != 255) return y;
    return -1;
}

// The image with transparent rows and columns at the bottom and right dropped, so glyphs that
// differ only in padding compare equal.
std::string ink_image(const Record& r) {
    int h = ink_bottom(r) + 1, w = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < r.width; x++)
            if (r.at(x, y) != 255 && x + 1 > w) w = x + 1;
    std::string s = std::to_string(w) + "x" + std::to_string(h) + ":";
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) s += (char)r.at(x, y);
    return s;
}

TEST(FontDataRecords, ExactlyFiveHundredTwelveRecordsFillTheBlock) {
    ASSERT_EQ(embedded_font_size, 14555u);
    size_t consumed = 0;
    std::vector<Record> all = walk(embedded_font, embedded_font_size, &consumed);
    EXPECT_EQ(all.size(), 512u);
    EXPECT_EQ(consumed, embedded_font_size);  // no trailing bytes, no record cut short
    for (size_t k = 0; k < all.size(); k++) {
        EXPECT_GE(all[k].width, 1) << "glyph " << k;
        EXPECT_GE(all[k].height, 1) << "glyph " << k;
    }
}

TEST(FontDataLayout, CodesWithoutAGlyphShowTheColouredPlaceholder) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    const Record& first = all[0];
    ASSERT_EQ(first.width, 3);
    ASSERT_EQ(first.height, 5);
    std::set<int> colours(first.pixels, first.pixels + 15);
    EXPECT_EQ(colours, (std::set<int>{4, 11, 12}));
    int placeholders = 0;
    for (int k = 0; k < 256; k++) {
        if (!is_placeholder_index(k)) continue;
        placeholders++;
        ASSERT_EQ(all[k].width, 3) << "glyph " << k;
        ASSERT_EQ(all[k].height, 5) << "glyph " << k;
        EXPECT_EQ(memcmp(all[k].pixels, first.pixels, 15), 0) << "glyph " << k;
    }
    EXPECT_EQ(placeholders, 157);
}

TEST(FontDataLayout, TabAndSpaceAreTransparentGaps) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    EXPECT_EQ(all[9].width, 16);
    EXPECT_EQ(all[9].height, 1);
    EXPECT_EQ(all[32].width, 2);
    EXPECT_EQ(all[32].height, 1);
    for (int k : {9, 32})
        for (int x = 0; x < all[k].width; x++) EXPECT_EQ(all[k].at(x, 0), 255) << "glyph " << k;
}

TEST(FontDataLayout, SlotsAbove303AreSingleColourOnePixels) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    for (int k = 304; k < 512; k++) {
        EXPECT_EQ(all[k].width, 1) << "glyph " << k;
        EXPECT_EQ(all[k].height, 1) << "glyph " << k;
        EXPECT_EQ(all[k].pixels[0], 1) << "glyph " << k;
    }
}

TEST(FontDataColours, DrawnGlyphsUseOnlyTheGreyRampAndTransparency) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    for (int k = 0; k < 512; k++) {
        if (!is_drawn_index(k)) continue;
        int ink = 0, brightest = 0;
        for (int i = 0; i < all[k].width * all[k].height; i++) {
            int v = all[k].pixels[i];
            if (v == 255) continue;
            EXPECT_TRUE(v >= 17 && v <= 39) << "glyph " << k << " pixel " << i << " is " << v;
            ink++;
            brightest = v > brightest ? v : brightest;
        }
        EXPECT_GT(ink, 0) << "glyph " << k << " is blank";
        // Anti-aliasing spreads thin diagonals, but every glyph keeps some near-full ink.
        EXPECT_GE(brightest, 30) << "glyph " << k << " is faint";
    }
}

TEST(FontDataColours, EveryDrawnGlyphIsDistinctWithinItsAlphabet) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    struct Range {
        int first, last;
    } alphabets[] = {{33, 126}, {256, 279}, {280, 303}};
    for (const Range& a : alphabets) {
        std::set<std::string> seen;
        for (int k = a.first; k <= a.last; k++)
            EXPECT_TRUE(seen.insert(ink_image(all[k])).second) << "glyph " << k << " repeats an earlier one";
    }
    EXPECT_NE(ink_image(all[163]), ink_image(all['L']));
    EXPECT_NE(ink_image(all[166]), ink_image(all['|']));
    EXPECT_NE(ink_image(all[172]), ink_image(all['-']));
}

// DejaVu draws the Greek letters that look Latin with the Latin shapes, so they pin the
// alphabetical order of both Greek ranges.
TEST(FontDataColours, GreekLettersSitInAlphabeticalOrder) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    const char latin_twins[24] = {'A', 'B', 0, 0, 'E', 'Z', 'H', 0, 'I', 'K', 0, 'M',
                                  'N', 0, 'O', 0, 'P', 0, 'T', 'Y', 0, 'X', 0, 0};
    for (int i = 0; i < 24; i++)
        if (latin_twins[i]) {
            EXPECT_EQ(ink_image(all[280 + i]), ink_image(all[(int)latin_twins[i]])) << "capital " << i;
        }
    EXPECT_EQ(ink_image(all[256 + 14]), ink_image(all['o']));  // omicron
}

TEST(FontDataMetrics, CellIsThirteenRowsAndTheTabIsTheWidestGlyph) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    int tallest = 0;
    for (int k = 0; k < 512; k++) {
        tallest = all[k].height > tallest ? all[k].height : tallest;
        if (k != 9) {
            EXPECT_LT(all[k].width, 16) << "glyph " << k;
        }
    }
    EXPECT_EQ(tallest, 13);
    EXPECT_EQ(all['C'].width, 8);  // gives the cell width of 9
}

TEST(FontDataMetrics, LettersShareOneBaselineAndDescendersReachTheLastRow) {
    std::vector<Record> all = records();
    ASSERT_EQ(all.size(), 512u);
    for (int k = 'A'; k <= 'Z'; k++) {
        if (k == 'J' || k == 'Q') continue;  // both dip below the baseline in this face
        EXPECT_EQ(all[k].height, 11) << (char)k;
        EXPECT_EQ(ink_bottom(all[k]), 10) << (char)k;
    }
    for (char c : std::string("acemnorsuvwxz0123456789"))
        EXPECT_EQ(ink_bottom(all[(int)c]), 10) << c;
    for (char c : std::string("gpqy")) {
        EXPECT_EQ(all[(int)c].height, 13) << c;
        EXPECT_EQ(ink_bottom(all[(int)c]), 12) << c;
    }
    // Greek: beta gamma zeta eta mu xi rho phi chi psi descend; the others sit on the baseline.
    std::set<int> descending = {1, 2, 5, 6, 11, 13, 16, 20, 21, 22};
    for (int i = 0; i < 24; i++) {
        EXPECT_EQ(ink_bottom(all[256 + i]) > 10, descending.count(i) == 1) << "lower-case Greek " << i;
        EXPECT_EQ(ink_bottom(all[280 + i]), 10) << "capital Greek " << i;
    }
    // Glyphs hang from the top of the cell: a quotation mark ends well above the baseline.
    EXPECT_LT(all['"'].height, 8);
    EXPECT_LT(all['-'].height, 10);
}

}  // namespace
