// Colour palettes: packed colour-index entries, nearest-index answers and
// their tie-breaking, the hue palette, and palette files written to disk and
// read back byte for byte.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/draw/palette.h"
#include "tests/support/files.h"

namespace {

TEST(ColourIndexTable, PackedEntriesTruncateTimes255Point9) {
    int table[256];
    for (int& e : table) e = -1;
    colour_index_table_packed(table);
    EXPECT_EQ(table[0], 0x000000);
    EXPECT_EQ(table[7], 0x7F7F7F);
    EXPECT_EQ(table[8], 0x3F3F3F);
    EXPECT_EQ(table[12], 0xFF0000);
    EXPECT_EQ(table[27], 0x7A7A7A);
    EXPECT_EQ(table[39], 0xFFFFFF);
    EXPECT_EQ(table[41], 0x330000);
    EXPECT_EQ(table[46], 0x003300);
    EXPECT_EQ(table[76], 0x000033);
    EXPECT_EQ(table[255], 0xFFFFFF);
    // The cube: red fastest, levels 0, 51, 102, 153, 204, 255.
    static const int level[6] = {0, 51, 102, 153, 204, 255};
    for (int k = 0; k < 216; k++)
        ASSERT_EQ(table[40 + k], level[k % 6] << 16 | level[k / 6 % 6] << 8 | level[k / 36]) << 40 + k;
}

TEST(ColourIndexTable, FloatTablesHoldTheConsoleRampAndCube) {
    float r[256], g[256], b[256];
    build_colour_index_table(r, g, b);
    EXPECT_EQ(r[9], 0.0f);
    EXPECT_EQ(b[9], 1.0f);  // bright blue
    EXPECT_EQ(r[14], 1.0f);
    EXPECT_EQ(g[14], 1.0f);
    EXPECT_EQ(b[14], 0.0f);  // yellow
    EXPECT_EQ(r[16], 0.0f);
    EXPECT_EQ(r[39], 1.0f);  // exactly 1, not 0.99999...
    for (int i = 17; i < 40; i++) {
        EXPECT_GT(r[i], r[i - 1]);
        EXPECT_EQ(r[i], g[i]);
        EXPECT_EQ(r[i], b[i]);
    }
    EXPECT_FLOAT_EQ(b[255], 1.0f);
}

TEST(ColourIndexRgb, OutOfRangeIndicesFollowTheRules) {
    float r, g, b;
    colour_index_rgb(256, &r, &g, &b);  // k = 216: blue level 6
    EXPECT_NEAR(b, 1.2f, 1e-6);
    EXPECT_EQ(r, 0.0f);
    colour_index_rgb(-2, &r, &g, &b);  // two's complement ...110: red and green at 0.5
    EXPECT_EQ(r, 0.5f);
    EXPECT_EQ(g, 0.5f);
    EXPECT_EQ(b, 0.0f);
}

TEST(NearestColourIndex, AnswersAndTieBreaks) {
    EXPECT_EQ(nearest_colour_index(0xFF0000), 12);  // cube 45 is as close; the earlier candidate wins
    EXPECT_EQ(nearest_colour_index(0x0000FF), 9);
    EXPECT_EQ(nearest_colour_index(0x808080), 7);
    EXPECT_EQ(nearest_colour_index(0x404040), 8);
    EXPECT_EQ(nearest_colour_index(0x606060), 25);
    EXPECT_EQ(nearest_colour_index(0x336699), 161);
    EXPECT_EQ(nearest_colour_index(0x000000), 0);
    EXPECT_EQ(nearest_colour_index(0xFFFFFF), 15);
    EXPECT_EQ(nearest_colour_index(0x7FFFFFFF), 15);        // high bits ignored
    EXPECT_EQ(nearest_colour_index((int)0xAB336699), 161);
}

TEST(NearestColourIndex, EveryPaletteColourFindsAnExactMatch) {
    int table[256];
    colour_index_table_packed(table);
    // Cube and console colours are among the candidates of their own colour.
    for (int i = 0; i < 256; i++) {
        if (i >= 16 && i < 40) continue;  // grey steps of 1/23 round onto other candidates
        int found = nearest_colour_index(table[i]);
        ASSERT_GE(found, 0);
        ASSERT_LE(found, 255);
        EXPECT_EQ(table[found], table[i]) << "index " << i << " gave " << found;
    }
}

TEST(NearestColourIndex, StaysInRangeAndNeverLosesToACandidate) {
    float r[256], g[256], b[256];
    build_colour_index_table(r, g, b);
    for (int c = 0; c < 0x1000000; c += 0x010305) {
        int i = nearest_colour_index(c);
        ASSERT_GE(i, 0);
        ASSERT_LE(i, 255);
        double cr = (c >> 16 & 255) / 255.0, cg = (c >> 8 & 255) / 255.0, cb = (c & 255) / 255.0;
        double di = pow(cr - r[i], 2) + pow(cg - g[i], 2) + pow(cb - b[i], 2);
        // The dim console candidate is always considered: the answer is at least as close.
        int dim = 4 * (cr >= 0.25) + 2 * (cg >= 0.25) + (cb >= 0.25);
        double dd = pow(cr - r[dim], 2) + pow(cg - g[dim], 2) + pow(cb - b[dim], 2);
        ASSERT_LE(di, dd + 1e-6) << std::hex << c;
    }
}

TEST(HuePalette, Entries) {
    float r[256], g[256], b[256];
    for (int i = 0; i < 256; i++) r[i] = g[i] = b[i] = -1;
    build_hue_palette(r, g, b);
    struct Case {
        int i;
        float r, g, b;
    } cases[] = {{32, 0, 0, 1},      {36, 1, 0, 1},      {40, 1, 0, 0},         {44, 1, 1, 0},
                 {48, 0, 1, 0},      {52, 0, 1, 1},      {56, 0.5f, 0.5f, 1},   {80, 0, 0, 0.25f},
                 {104, 0, 0, 0.5f},  {127, 0, 0.125f, 0.5f}, {252, 1, 1, 1},    {253, 0, 0, 0},
                 {254, 0, 0, 0},     {255, 0, 0, 0},     {8, 0.25f, 0.25f, 0.25f}, {128, 0, 0, 0},
                 {129, 0.25f, 0, 0}, {31, 1, 1, 1},      {12, 1, 0, 0}};
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(r[c.i], c.r) << c.i;
        EXPECT_FLOAT_EQ(g[c.i], c.g) << c.i;
        EXPECT_FLOAT_EQ(b[c.i], c.b) << c.i;
    }
    for (int i = 0; i < 256; i++) {
        ASSERT_GE(r[i], 0.0f) << i;  // every entry written, all within 0..1
        ASSERT_LE(b[i], 1.0f) << i;
    }
}

const char* const eol = TEXT_EOL;

class WritePalette : public ::testing::Test {
protected:
    ScratchFolder scratch;
};

TEST_F(WritePalette, WritesJascPalReadableBack) {
    float r[256], g[256], b[256];
    build_colour_index_table(r, g, b);
    std::string path = scratch.path("out.pal");
    ASSERT_EQ(write_palette(r, g, b, path.c_str()), 0);
    std::string bytes = read_file(path);
    std::string expected = std::string("JASC-PAL") + eol + "0100" + eol + "256" + eol;
    ASSERT_EQ(bytes.compare(0, expected.size(), expected), 0);
    // Parse the entry lines back and compare with the packed table.
    int table[256];
    colour_index_table_packed(table);
    size_t at = expected.size();
    for (int i = 0; i < 256; i++) {
        size_t end = bytes.find(eol, at);
        ASSERT_NE(end, std::string::npos) << "line " << i;
        std::string line = bytes.substr(at, end - at);
        int cr, cg, cb, used = 0;
        ASSERT_EQ(sscanf(line.c_str(), "%d %d %d%n", &cr, &cg, &cb, &used), 3) << line;
        EXPECT_EQ((size_t)used, line.size()) << line;
        EXPECT_EQ(cr << 16 | cg << 8 | cb, table[i]) << "entry " << i;
        at = end + strlen(eol);
    }
    EXPECT_EQ(at, bytes.size());  // nothing after the last line
    EXPECT_NE(bytes.find(std::string(eol) + "0 0 127" + eol), std::string::npos);
    std::string last = std::string(eol) + "255 255 255" + eol;
    ASSERT_GE(bytes.size(), last.size());
    EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);
}

TEST_F(WritePalette, ValuesAreNotClamped) {
    float r[256] = {}, g[256] = {}, b[256] = {};
    r[0] = 2.0f;     // 511
    g[0] = -0.5f;    // trunc(-127.95) = -127
    b[0] = 1e30f;    // beyond int: pinned, not undefined
    std::string path = scratch.path("clamp.pal");
    ASSERT_EQ(write_palette(r, g, b, path.c_str()), 0);
    std::string bytes = read_file(path);
    EXPECT_NE(bytes.find(std::string("256") + eol + "511 -127 2147483647" + eol), std::string::npos);
}

TEST_F(WritePalette, UncreatablePathFailsAndWritesNothing) {
    float r[256] = {}, g[256] = {}, b[256] = {};
    std::string path = scratch.path("no_such_folder/sub/out.pal");
    EXPECT_NE(write_palette(r, g, b, path.c_str()), 0);
    EXPECT_EQ(read_file(path), "<missing>");
    EXPECT_NE(write_palette(r, g, b, nullptr), 0);
    EXPECT_NE(write_palette(r, g, b, ""), 0);
}

}  // namespace
