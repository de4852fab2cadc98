// Scene text on a real context: glyph corners captured by a recording mapping
// and by GL feedback (half-texel widening, tab, line feed, in-plane layout),
// pixels read back for the blend table and the alpha test, and the width.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/scene_text.h"
#include "framework/text/text.h"
#include "tests/support/feedback.h"
#include "tests/support/test_window.h"

static const int win_w = 640, win_h = 480;
static const int atlas_w = 64, atlas_h = 32;

// A hand-made font: 'A' at (2, 3), 5 wide; 'B' at (10, 3), 7 wide; cells 10
// high, so one line is 10 texels. In 'A' texel (4, 7) is a hole (alpha 0)
// and texel (3, 5) half covered (alpha 128); everything else in it is solid.
static Font test_font;

static void make_test_font() {
    static bool made = false;
    if (made) return;
    made = true;
    std::vector<uint8_t> rgba(atlas_w * atlas_h * 4, 0);
    auto texel = [&](int x, int y, uint8_t alpha) {
        uint8_t* p = &rgba[(y * atlas_w + x) * 4];
        p[0] = p[1] = p[2] = 255;
        p[3] = alpha;
    };
    for (int y = 3; y < 13; y++) {
        for (int x = 2; x < 7; x++) texel(x, y, 255);
        for (int x = 10; x < 17; x++) texel(x, y, 255);
    }
    texel(4, 7, 0);
    texel(3, 5, 128);
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, atlas_w, atlas_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);

    test_font.texture = tex;
    test_font.glyph_x['A'] = 2;
    test_font.glyph_y['A'] = 3;
    test_font.glyph_width['A'] = 5;
    test_font.glyph_x['B'] = 10;
    test_font.glyph_y['B'] = 3;
    test_font.glyph_width['B'] = 7;
    test_font.texture_width = atlas_w;
    test_font.texture_height = atlas_h;
    test_font.max_width = 7;
    test_font.max_height = 10;
    test_font.cell_width = 1;
    test_font.style = default_style;
    test_font.style.base = &test_font;
    test_font.style.own_glyph_count = 512;
}

// The vertices of every polygon drawn by draw(), in GL's window coordinates
// (y upwards). Drivers may split a quad into triangles, so callers compare sets
// of distinct corners.
static std::vector<FeedbackVertex> feedback(const std::function<void()>& draw) {
    return feedback_polygon_vertices(feedback_capture(draw));
}

static bool near(double a, double b) { return std::fabs(a - b) < 1e-3; }

static std::vector<FeedbackVertex> distinct(const std::vector<FeedbackVertex>& vs) {
    std::vector<FeedbackVertex> d;
    for (const FeedbackVertex& v : vs) {
        bool seen = false;
        for (const FeedbackVertex& e : d)
            seen = seen || (near(v.x, e.x) && near(v.y, e.y) && near(v.s, e.s) && near(v.t, e.t));
        if (!seen) d.push_back(v);
    }
    return d;
}

static bool has_corner(const std::vector<FeedbackVertex>& vs, double x, double y, double s, double t) {
    for (const FeedbackVertex& v : vs)
        if (near(v.x, x) && near(v.y, y) && near(v.s, s) && near(v.t, t)) return true;
    return false;
}

struct Corner {
    double u, v;
};

// A mapping that records what it is asked and gives each corner its own
// colour, so the colour reaching GL shows which call it came from.
struct Recorder {
    std::vector<Corner> corners;
};

static void record_map(double u, double v, void* context, double* x, double* y, double* z, int* colour) {
    Recorder* r = (Recorder*)context;
    int i = (int)r->corners.size();
    r->corners.push_back({u, v});
    *x = 100 + 100 * u;
    *y = 100 + 100 * v;
    *z = 0;
    *colour = (i * 40) << 16 | 0x00FF00;
}

class SceneText : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(win_w, win_h);
        make_test_font();
        current_font = nullptr;  // font_select of a font already current does nothing
        font_select(&test_font);
        ASSERT_EQ(font_line_height, 10);
        glViewport(0, 0, win_w, win_h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, win_w, 0, win_h, -1, 1);  // window coordinates = object coordinates, y up
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        glDisable(GL_TEXTURE_2D);
        text_blend_mode = 3;
    }
    void TearDown() override { text_blend_mode = 3; }
};

// The widened cell of glyph g whose column starts at c on row r, as the
// recording mapping sees it, in draw order.
static void expect_mapped_quad(const std::vector<Corner>& got, size_t first, double c, double r, int w) {
    const double h = 10;
    ASSERT_GE(got.size(), first + 4);
    const Corner want[4] = {{c - 0.5 / h, r - 0.5 / h},
                            {c + (w + 0.5) / h, r - 0.5 / h},
                            {c + (w + 0.5) / h, r + (h + 0.5) / h},
                            {c - 0.5 / h, r + (h + 0.5) / h}};
    for (int k = 0; k < 4; k++) {
        EXPECT_NEAR(got[first + k].u, want[k].u, 1e-12) << "corner " << first + k;
        EXPECT_NEAR(got[first + k].v, want[k].v, 1e-12) << "corner " << first + k;
    }
}

TEST_F(SceneText, TabIsOneUnitLineFeedStartsTheNextRowOtherBytesAreGlyphs) {
    Recorder rec;
    draw_text_mapped("A\tB\nB", record_map, &rec);
    ASSERT_EQ(rec.corners.size(), 12u);
    expect_mapped_quad(rec.corners, 0, 0, 0, 5);
    expect_mapped_quad(rec.corners, 4, 0.6 + 1, 0, 7);
    expect_mapped_quad(rec.corners, 8, 0, 1, 7);
    // Codes of the encoded text are not read: 2 and 5 are glyphs of width 0.
    rec.corners.clear();
    draw_text_mapped("\x02" "A\x05", record_map, &rec);
    ASSERT_EQ(rec.corners.size(), 12u);
    expect_mapped_quad(rec.corners, 0, 0, 0, 0);
    expect_mapped_quad(rec.corners, 4, 0.1, 0, 5);
}

TEST_F(SceneText, MappedGlyphsAreWidenedByHalfATexel) {
    Recorder rec;
    std::vector<FeedbackVertex> fb = distinct(feedback([&] { draw_text_mapped("AB", record_map, &rec); }));
    ASSERT_EQ(rec.corners.size(), 8u);
    expect_mapped_quad(rec.corners, 0, 0, 0, 5);
    // The next glyph starts one texel after the last: (w + 1) / h.
    expect_mapped_quad(rec.corners, 4, 0.6, 0, 7);
    // What the mapping returned reaches GL with the widened texture cell
    // and each corner's own colour.
    ASSERT_EQ(fb.size(), 8u);
    const double ul = 1.5 / atlas_w, ur = ul + 6.0 / atlas_w, vt = 2.5 / atlas_h, vb = vt + 11.0 / atlas_h;
    const double tex[4][2] = {{ul, vt}, {ur, vt}, {ur, vb}, {ul, vb}};
    for (int k = 0; k < 4; k++) {
        double x = 100 + 100 * rec.corners[k].u, y = 100 + 100 * rec.corners[k].v;
        bool found = false;
        for (const FeedbackVertex& v : fb) {
            if (!has_corner({v}, x, y, tex[k][0], tex[k][1])) continue;
            found = true;
            EXPECT_NEAR(v.colour[0], k * 40 / 255.0, 1e-3);
            EXPECT_NEAR(v.colour[1], 1.0, 1e-3);
        }
        EXPECT_TRUE(found) << "corner " << k;
    }
}

TEST_F(SceneText, ScaledTextIsFlatWithLinesTowardPlusY) {
    std::vector<FeedbackVertex> fb = distinct(feedback([] { draw_text_scaled(200, 100, 50, "A\nB", 0x336699); }));
    ASSERT_EQ(fb.size(), 8u);
    const double h = 10, ul = 1.5 / atlas_w, vt = 2.5 / atlas_h;
    EXPECT_TRUE(has_corner(fb, 200 - 50 * 0.5 / h, 100 - 50 * 0.5 / h, ul, vt));
    EXPECT_TRUE(has_corner(fb, 200 + 50 * 5.5 / h, 100 + 50 * 10.5 / h, ul + 6.0 / atlas_w, vt + 11.0 / atlas_h));
    // 'B' one unit (50) further along +y, back at the line start.
    EXPECT_TRUE(has_corner(fb, 200 - 50 * 0.5 / h, 150 - 50 * 0.5 / h, 9.5 / atlas_w, vt));
    for (const FeedbackVertex& v : fb) {
        EXPECT_NEAR(v.colour[0], 0x33 / 255.0, 1e-3);
        EXPECT_NEAR(v.colour[1], 0x66 / 255.0, 1e-3);
        EXPECT_NEAR(v.colour[2], 0x99 / 255.0, 1e-3);
    }
}

TEST_F(SceneText, InPlaneLaysGlyphsAlongAdvanceAndLinesAlongLine) {
    // A y-up scene 50 pixels per unit: D = (0, -1, 0), R = (1, 0, 0).
    const double origin[3] = {0, 0, 0}, line[3] = {0, -1, 0}, advance[3] = {1, 0, 0};
    int result = -1;
    std::vector<FeedbackVertex> fb = distinct(feedback([&] {
        glTranslatef(100, 300, 0);
        glScalef(50, 50, 1);
        glBegin(GL_QUADS);
        result = draw_text_in_plane(origin, "AB\nA\tB", line, advance);
        glEnd();
        glLoadIdentity();
    }));
    EXPECT_EQ(result, 0);
    ASSERT_EQ(fb.size(), 16u);
    // The cell shrunk by half a texel; no spacing between glyphs.
    const double a_ul = 2.5 / atlas_w, a_ur = a_ul + 4.0 / atlas_w, b_ul = 10.5 / atlas_w,
                 b_ur = b_ul + 6.0 / atlas_w, vt = 3.5 / atlas_h, vb = vt + 9.0 / atlas_h;
    auto at = [](double px, double py) { return std::make_pair(100 + 50 * px, 300 + 50 * py); };
    struct Want {
        double px, py, s, t;
    } want[] = {
        {0, 0, a_ul, vt}, {0.5, 0, a_ur, vt}, {0.5, -1, a_ur, vb}, {0, -1, a_ul, vb},              // A
        {0.5, 0, b_ul, vt}, {1.2, 0, b_ur, vt}, {1.2, -1, b_ur, vb}, {0.5, -1, b_ul, vb},          // B
        {0, -1, a_ul, vt}, {0.5, -1, a_ur, vt}, {0.5, -2, a_ur, vb}, {0, -2, a_ul, vb},            // A, next line below
        {1.5, -1, b_ul, vt}, {2.2, -1, b_ur, vt}, {2.2, -2, b_ur, vb}, {1.5, -2, b_ul, vb}};       // tab: one unit on
    for (const Want& w : want) {
        std::pair<double, double> p = at(w.px, w.py);
        EXPECT_TRUE(has_corner(fb, p.first, p.second, w.s, w.t)) << "(" << w.px << ", " << w.py << ")";
    }
}

TEST_F(SceneText, UnitsWidthMatchesTheInPlaneAdvance) {
    EXPECT_EQ(text_units_width(""), 0.0);
    EXPECT_EQ(text_units_width("\t"), 1.0);
    EXPECT_DOUBLE_EQ(text_units_width("AB"), 1.2);
    // Line feeds add nothing and do not restart the sum.
    EXPECT_DOUBLE_EQ(text_units_width("AB\nA\tB"), 3.4);
    const char* s = "AB\tA";
    const double origin[3] = {0, 0, 0}, line[3] = {0, -1, 0}, advance[3] = {1, 0, 0};
    std::vector<FeedbackVertex> fb = feedback([&] {
        glTranslatef(100, 300, 0);
        glScalef(50, 50, 1);
        glBegin(GL_QUADS);
        draw_text_in_plane(origin, s, line, advance);
        glEnd();
        glLoadIdentity();
    });
    ASSERT_FALSE(fb.empty());
    double right = fb[0].x;
    for (const FeedbackVertex& v : fb) right = std::max(right, v.x);
    EXPECT_NEAR(right, 100 + 50 * text_units_width(s), 1e-3);
}

TEST_F(SceneText, NothingWithoutAUsableFont) {
    const double origin[3] = {0, 0, 0}, line[3] = {0, -1, 0}, advance[3] = {1, 0, 0};
    auto draw_all = [&] {
        draw_text_scaled(100, 100, 10, "AB", 0xFFFFFF);
        glBegin(GL_QUADS);
        draw_text_in_plane(origin, "AB", line, advance);
        glEnd();
    };
    current_font = nullptr;
    EXPECT_TRUE(feedback(draw_all).empty());
    EXPECT_EQ(text_units_width("AB\t"), 0.0);
    // A line height that wrapped to 0 would divide by zero.
    font_select(&test_font);
    font_line_height = 0;
    EXPECT_TRUE(feedback(draw_all).empty());
    EXPECT_EQ(text_units_width("AB"), 0.0);
    font_line_height = 10;
    EXPECT_FALSE(feedback(draw_all).empty());
    // A missing text or mapping draws nothing.
    EXPECT_TRUE(feedback([] {
        draw_text_scaled(100, 100, 10, nullptr, 0);
        draw_text_mapped("AB", nullptr, nullptr);
    }).empty());
}

// Pixels: y-down window pixels and one texel per pixel, 'A' at (100, 50), so
// texel (2 + i, 3 + j) lands on pixel (100 + i, 50 + j).
class SceneTextPixels : public SceneText {
protected:
    void SetUp() override {
        SceneText::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, win_w, win_h, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glClearColor(64 / 255.0f, 64 / 255.0f, 64 / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    uint32_t draw_at(int mode, int colour, int px, int py) {
        glClear(GL_COLOR_BUFFER_BIT);
        text_blend_mode = mode;
        draw_text_scaled(100, 50, 10, "A", colour);
        glFinish();
        return test_pixel(px, py);
    }
};

static const int solid_x = 103, solid_y = 57;  // texel (5, 10)
static const int half_x = 101, half_y = 52;    // texel (3, 5), alpha 128
static const int hole_x = 102, hole_y = 54;    // texel (4, 7), alpha 0

static void expect_rgb(uint32_t got, int r, int g, int b, int tolerance = 0) {
    EXPECT_NEAR((int)(got >> 16 & 255), r, tolerance) << std::hex << got;
    EXPECT_NEAR((int)(got >> 8 & 255), g, tolerance) << std::hex << got;
    EXPECT_NEAR((int)(got & 255), b, tolerance) << std::hex << got;
}

TEST_F(SceneTextPixels, BlendTableAndAlphaTest) {
    expect_rgb(draw_at(1, 0x802010, half_x, half_y), 0x80, 0x20, 0x10);            // replace
    expect_rgb(draw_at(2, 0xFF0000, solid_x, solid_y), 0, 64, 64);                 // dst * (1 - src)
    expect_rgb(draw_at(3, 0x802010, solid_x, solid_y), 0xC0, 0x60, 0x50);          // dst + src * alpha
    expect_rgb(draw_at(3, 0x802010, half_x, half_y), 64 + 64, 64 + 16, 64 + 8, 1); // half alpha
    expect_rgb(draw_at(4, 0x802010, half_x, half_y), 96, 48, 40, 1);               // alpha mix
    // The alpha test: even the replacing mode leaves the background where coverage is 0.
    expect_rgb(draw_at(1, 0xFFFFFF, hole_x, hole_y), 64, 64, 64);
}

TEST_F(SceneTextPixels, StateIsRestored) {
    glBlendFunc(GL_DST_COLOR, GL_SRC_COLOR);
    draw_at(4, 0xFFFFFF, solid_x, solid_y);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint src = 0, dst = 0;
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_DST_COLOR);
    EXPECT_EQ(dst, GL_SRC_COLOR);
    glBlendFunc(GL_ONE, GL_ZERO);
}
