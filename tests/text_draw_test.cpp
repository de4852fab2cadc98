// Text drawing in a real context: glyph quads captured with GL feedback mode
// (layout, wrapping, limit, fixed pitch, inline commands, anti-aliasing
// passes) and pixels read back (blend modes, boxed text, pass brightness).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/draw/texture.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"
#include "tests/support/feedback.h"
#include "tests/support/fonts.h"
#include "tests/support/test_window.h"

namespace {

// A glyph quad as feedback returns it, in window pixels with y down.
struct Quad {
    float left, top, right, bottom;
    float s0, t0, s1, t1;  // texture rectangle
    float r, g, b, a;      // colour of the first vertex
};

// The glyph quads drawn by draw() (llvmpipe hands quads back as pairs of triangles).
std::vector<Quad> capture(const std::function<void()>& draw) {
    std::vector<FeedbackVertex> corners = feedback_quads(feedback_capture(draw));
    std::vector<Quad> quads;
    for (size_t i = 0; i + 4 <= corners.size(); i += 4) {
        const float* c = corners[i].colour;
        Quad q = {1e9f, 1e9f, -1e9f, -1e9f, 1e9f, 1e9f, -1e9f, -1e9f, c[0], c[1], c[2], c[3]};
        for (size_t k = i; k < i + 4; k++) {
            const FeedbackVertex& e = corners[k];
            float x = (float)e.x, y = (float)e.y_down;
            q.left = std::min(q.left, x), q.right = std::max(q.right, x);
            q.top = std::min(q.top, y), q.bottom = std::max(q.bottom, y);
            q.s0 = std::min(q.s0, e.s), q.s1 = std::max(q.s1, e.s);
            q.t0 = std::min(q.t0, e.t), q.t1 = std::max(q.t1, e.t);
        }
        quads.push_back(q);
    }
    return quads;
}

std::vector<Quad> capture_text(float x, float y, float wrap, float limit, const char* text, int colour = 0xFFFFFF) {
    return capture([&] { draw_text_once(x, y, wrap, limit, text, colour); });
}

// Glyph rectangles of the test atlas (64 x 32, cell height 10). 'A' is opaque
// white, 'B' fully transparent, the rest white; 67 ('C') is 8 wide, so the
// cell is 9 and the spacing rounds to trunc(9 * 0.13 + 0.5) = 1.
struct GlyphSpec { int code, x, y, w; };
const GlyphSpec glyph_specs[] = {{'A', 0, 0, 7},  {'B', 8, 0, 6},  {'C', 16, 0, 8},  {'a', 25, 0, 5},
                                 {'b', 31, 0, 6}, {' ', 38, 0, 2}, {'W', 40, 0, 12}, {'i', 54, 0, 3},
                                 {256, 0, 16, 9}};
const int other_x = 58, other_y = 16, other_w = 4, cell_h = 10, tex_w = 64, tex_h = 32;

Font* test_font() {
    static Font* f = nullptr;
    if (f) return f;
    f = (Font*)calloc(1, sizeof(Font));
    for (int k = 0; k < 512; k++) f->glyph_x[k] = other_x, f->glyph_y[k] = other_y, f->glyph_width[k] = other_w;
    std::vector<unsigned char> px((size_t)tex_w * tex_h * 4, 0);
    auto paint = [&](int x, int y, int w) {
        for (int r = y; r < y + cell_h; r++)
            for (int c = x; c < x + w; c++) memset(&px[((size_t)r * tex_w + c) * 4], 255, 4);
    };
    paint(other_x, other_y, other_w);
    for (const GlyphSpec& g : glyph_specs) {
        f->glyph_x[g.code] = g.x, f->glyph_y[g.code] = g.y, f->glyph_width[g.code] = g.w;
        if (g.code != 'B') paint(g.x, g.y, g.w);
    }
    glGenTextures(1, &f->texture);
    glBindTexture(GL_TEXTURE_2D, f->texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, tex_w, tex_h, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    build_mipmaps(GL_TEXTURE_2D, 4, GL_RGBA, tex_w, tex_h, px.data());
    f->max_height = cell_h;
    f->name = strdup("textdrawtest");
    f->style = default_style;
    f->style.base = f;
    f->style.own_glyph_count = 512;
    font_refresh_metrics(f);
    font_registry_init();
    array_append(&font_registry, &f);  // registered, so restoring its style finds it
    return f;
}

class TextDraw : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(640, 480);
        restore_text_settings();
        font_select(test_font());
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    static int width_of(int c) { return test_font()->glyph_width[c]; }
    // draw_text's advance at full scale: one rounding of spacing plus glyph.
    static int advance(int c) { return (int)(9 * 0.13f + width_of(c) + 0.5); }
};

void expect_at(const Quad& q, float x, float y, int c, float sx = 1, float sy = 1) {
    const Font* f = test_font();
    EXPECT_NEAR(q.left, x, 1e-3);
    EXPECT_NEAR(q.top, y, 1e-3);
    EXPECT_NEAR(q.right, x + f->glyph_width[c] * sx, 1e-3);
    EXPECT_NEAR(q.bottom, y + cell_h * sy, 1e-3);
    EXPECT_NEAR(q.s0, (float)f->glyph_x[c] / tex_w, 1e-5);
    EXPECT_NEAR(q.t0, (float)f->glyph_y[c] / tex_h, 1e-5);
    EXPECT_NEAR(q.s1, (float)(f->glyph_x[c] + f->glyph_width[c]) / tex_w, 1e-5);
    EXPECT_NEAR(q.t1, (float)(f->glyph_y[c] + cell_h) / tex_h, 1e-5);
}

TEST_F(TextDraw, GlyphsAdvanceBySpacingAndWidth) {
    std::vector<Quad> q = capture_text(10, 20, 0, 0, "AB");
    ASSERT_EQ(q.size(), 2u);
    expect_at(q[0], 10, 20, 'A');
    expect_at(q[1], 10 + advance('A'), 20, 'B');
    EXPECT_EQ(q[0].r, 1.0f);
    // A space advances without a quad; a missing text draws "NULL?".
    q = capture_text(10, 20, 0, 0, "A B");
    ASSERT_EQ(q.size(), 2u);
    expect_at(q[1], 10 + advance('A') + advance(' '), 20, 'B');
    q = capture_text(0, 0, 0, 0, nullptr);
    ASSERT_EQ(q.size(), 5u);
    expect_at(q[4], q[4].left, 0, '?');
    EXPECT_TRUE(capture_text(0, 0, 0, 0, "").empty());
}

TEST_F(TextDraw, BoldnessRoundsTheWholeAdvanceOnce) {
    // Measuring gives 1 + trunc(6.36 + 0.5) = 7 for 'B' here; the drawn advance is 8.
    test_font()->style.boldness = 0.06f;
    current_style = test_font()->style;
    std::vector<Quad> q = capture_text(10, 20, 0, 0, "BA");
    test_font()->style.boldness = 0;
    current_style = test_font()->style;
    ASSERT_EQ(q.size(), 2u);
    EXPECT_NEAR(q[1].left, 10 + 8, 1e-3);
}

TEST_F(TextDraw, LineBreaksReturnToTheStartOneLineDown) {
    std::vector<Quad> q = capture_text(10, 20, 0, 15, "A\nB\x02\x00\x0a" "C");
    ASSERT_EQ(q.size(), 3u);  // explicit breaks ignore the limit
    expect_at(q[1], 10, 20 + cell_h + 1, 'B');
    expect_at(q[2], 10, 20 + 2 * (cell_h + 1), 'C');
}

TEST_F(TextDraw, WordWrapBreaksBeforeTheWordThatWouldCrossTheMargin) {
    float wrap = 10 + width_of('a') + 1;  // just right of 'a'
    std::vector<Quad> q = capture_text(10, 20, wrap, 0, "a b");
    ASSERT_EQ(q.size(), 2u);
    expect_at(q[0], 10, 20, 'a');
    expect_at(q[1], 10, 20 + cell_h + 1, 'b');  // the space leaves no gap
    q = capture_text(10, 20, 100, 0, "a b");
    expect_at(q[1], 10 + advance('a') + advance(' '), 20, 'b');
}

TEST_F(TextDraw, WordWrapMeasuresNoFurtherThanTheTerminator) {
    // The word after the space ends in a control byte and then the text: the
    // measurement stops at the terminator of this exact-size heap block.
    std::vector<char> text = {'a', ' ', 'b', 7, 0};
    float wrap = 10 + width_of('a') + 1;
    std::vector<Quad> q = capture_text(10, 20, wrap, 0, text.data());
    ASSERT_EQ(q.size(), 3u);  // 'b' and the control byte drawn as glyph 7, on the next line
    expect_at(q[1], 10, 20 + cell_h + 1, 'b');
}

TEST_F(TextDraw, LongWordBreaksAfterTheGlyphThatCrossesTheMargin) {
    // Advances 8, 7, 9 from x 10: 'C' ends its pen at 34 > 30 and stays on the first line.
    std::vector<Quad> q = capture_text(10, 20, 30, 0, "ABCAB");
    ASSERT_EQ(q.size(), 5u);
    expect_at(q[2], 10 + advance('A') + advance('B'), 20, 'C');
    expect_at(q[3], 10, 31, 'A');
    expect_at(q[4], 10 + advance('A'), 31, 'B');
    // Before a space the margin is left to the word wrap.
    q = capture_text(10, 20, 30, 0, "ABC A");
    expect_at(q[3], 10, 31, 'A');
}

TEST_F(TextDraw, LimitEndsTheCallAtTheFirstWrappedLineBelowIt) {
    std::vector<Quad> q = capture_text(10, 20, 12, 35, "a b a b");  // lines at 20, 31, 42
    ASSERT_EQ(q.size(), 2u);
    expect_at(q[1], 10, 31, 'b');
    q = capture_text(10, 20, 12, 0, "a b a b");
    EXPECT_EQ(q.size(), 4u);
}

TEST_F(TextDraw, FixedPitchCentresGlyphsInTheCell) {
    fixed_pitch = 1;
    std::vector<Quad> q = capture_text(100, 20, 0, 0, "iWB");
    ASSERT_EQ(q.size(), 3u);
    expect_at(q[0], 100 + 3, 20, 'i');  // (9 - 3) / 2
    expect_at(q[1], 109 - 1, 20, 'W');  // 12 wide: (9 - 12) / 2 drops the fraction toward zero
    expect_at(q[2], 118 + 1, 20, 'B');  // (9 - 6) / 2
}

TEST_F(TextDraw, GlyphCodesAndSetX) {
    // Glyph 256 through code 2; a glyph index past the tables draws nothing; set-x moves the pen.
    const char text[] = "\x02\x01\x00" "\x02\x7f\x7f" "A\x05\x01\x00\x00\xc8\x42" "B";  // 100.0f
    std::vector<Quad> q = capture_text(10, 20, 0, 0, text);
    ASSERT_EQ(q.size(), 3u);
    expect_at(q[0], 10, 20, 256);
    expect_at(q[1], 10 + advance(256), 20, 'A');
    expect_at(q[2], 100, 20, 'B');
}

TEST_F(TextDraw, SizeCommandScalesAndRaisesThenRestores) {
    // Half size raised by half a line: offset trunc(128 * 10 + 128) / 256 = 5 pixels up.
    const char text[] = "A\x05\x02\x80\x00\x80\x00" "A\x05\x02\x00\x01\x00\x00" "A";
    Font* f = test_font();
    std::vector<Quad> q = capture_text(10, 20, 0, 0, text);
    ASSERT_EQ(q.size(), 3u);
    expect_at(q[1], 10 + advance('A'), 15, 'A', 0.5f, 0.5f);
    // The half-size variant's cell is trunc(9 * 0.5) = 4: advance trunc(0.52 + 3.5 + 0.5) = 4.
    expect_at(q[2], 10 + advance('A') + 4, 20, 'A');
    EXPECT_EQ(current_font, f);
    EXPECT_EQ(current_style.x_scale, 1.0f);
    EXPECT_EQ(font_cell_width, 9);
}

TEST_F(TextDraw, TextScaleAppliesToPositionsAndSizes) {
    text_scale_x = 2, text_scale_y = 3;
    std::vector<Quad> q = capture_text(10, 20, 0, 0, "A");
    ASSERT_EQ(q.size(), 1u);
    EXPECT_NEAR(q[0].left, 20, 1e-3);
    EXPECT_NEAR(q[0].top, 60, 1e-3);
    EXPECT_NEAR(q[0].right, 20 + 2 * width_of('A'), 1e-3);
    EXPECT_NEAR(q[0].bottom, 60 + 3 * cell_h, 1e-3);
}

void expect_passes(int n, const float (*offsets)[2], int alpha) {
    text_passes = n;
    std::vector<Quad> q = capture_text(100, 50, 0, 0, "A", 0xFF8040);
    ASSERT_EQ(q.size(), (size_t)n);
    for (int i = 0; i < n; i++) {
        EXPECT_NEAR(q[i].left, 100 + offsets[i][0], 1e-3) << "pass " << i;
        EXPECT_NEAR(q[i].top, 50 + offsets[i][1], 1e-3) << "pass " << i;
        EXPECT_NEAR(q[i].a, alpha / 255.0f, 1e-3);
        EXPECT_NEAR(q[i].g, 0x80 / 255.0f, 1e-3);
    }
    EXPECT_EQ(text_pass_colour, 0xFF8040);
    EXPECT_FALSE(glIsList(text_list));
}

TEST_F(TextDraw, PassesReplayAtSubPixelOffsets) {
    const float four[4][2] = {{0, 0}, {0.25f, 0.5f}, {0.5f, 0.25f}, {0.75f, 0.75f}};
    expect_passes(4, four, 64);
    const float one[1][2] = {{0, 0}};
    expect_passes(1, one, 255);
    // The offsets stay fractions of a pixel under a text scale.
    text_scale_x = 2, text_scale_y = 2;
    const float scaled[4][2] = {{100, 50}, {100.25f, 50.5f}, {100.5f, 50.25f}, {100.75f, 50.75f}};
    expect_passes(4, scaled, 64);
}

TEST_F(TextDraw, PassesAddUpToTheTextOnce) {
    text_passes = 4;
    draw_text_once(100, 50, 0, 0, "A", 0x808080);
    uint32_t p = test_pixel(103, 55);
    EXPECT_NEAR((int)(p >> 16), 0x80, 4);
    EXPECT_NEAR((int)(p & 0xFF), 0x80, 4);
}

TEST_F(TextDraw, BlendModes) {
    // Opaque white 'A' and transparent 'B' over grey: each mode mixes them its own way.
    struct { int mode; uint32_t a, b; } cases[] = {
        {1, 0xFFFFFF, 0x000000}, {2, 0x404040, 0x404040}, {3, 0xFFFFFF, 0x404040}, {4, 0xFFFFFF, 0x404040},
        {7, 0x404040, 0x404040}};  // any other mode keeps the caller's (ZERO, ONE)
    for (auto c : cases) {
        glClearColor(0.25f, 0.25f, 0.25f, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glBlendFunc(GL_ZERO, GL_ONE);
        EXPECT_EQ(set_text_blend_mode(c.mode), c.mode);
        draw_text_once(100, 50, 0, 0, "AB", 0xFFFFFF);
        EXPECT_EQ(test_pixel(103, 55), c.a) << "mode " << c.mode;
        EXPECT_EQ(test_pixel(100 + advance('A') + 3, 55), c.b) << "mode " << c.mode;
    }
    glBlendFunc(GL_ONE, GL_ZERO);
}

TEST_F(TextDraw, BoxedTextSitsOnABackgroundOfItsWidth) {
    draw_text_boxed(200, 100, "B", 0xFFFFFF, 0x0000FF);  // 'B' is transparent
    int w = text_width("B");
    EXPECT_EQ(test_pixel(200, 100), 0x0000FFu);
    EXPECT_EQ(test_pixel(200 + w - 1, 100 + font_line_height - 1), 0x0000FFu);
    EXPECT_EQ(test_pixel(200 + w, 100), 0u);
    EXPECT_EQ(test_pixel(200, 100 + font_line_height), 0u);
}

TEST_F(TextDraw, BracketRestoresTheCallersState) {
    glEnable(GL_DEPTH_TEST);
    glTranslatef(5, 7, 0);
    GLint depth_before = 0, proj_before = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &proj_before);
    for (int passes : {0, 3}) {
        text_passes = passes;
        draw_text_once(10, 10, 0, 0, "AB", 0xFFFFFF);
        GLint depth = 0, proj = 0, mode = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &proj);
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(depth, depth_before);
        EXPECT_EQ(proj, proj_before);
        EXPECT_EQ(mode, GL_MODELVIEW);
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(m[12], 5.0f);
        EXPECT_EQ(m[13], 7.0f);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
}

TEST_F(TextDraw, EmbeddedFontDrawsVisibleGlyphs) {
    current_font = nullptr;
    loadfont_data(embedded_font, embedded_font_size, "normal", false);
    ASSERT_NE(current_font, nullptr);
    const Font* f = current_font;
    std::vector<Quad> q = capture_text(10, 20, 0, 0, "AB");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_NEAR(q[0].left, 10, 1e-3);
    EXPECT_NEAR(q[1].left, 10 + (int)(font_cell_width * 0.13f + f->glyph_width['A'] + 0.5), 1e-3);
    EXPECT_NEAR(q[0].bottom - q[0].top, 13, 1e-3);
    EXPECT_NEAR(q[0].s0 * f->texture_width, f->glyph_x['A'], 1e-3);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_text_once(10, 20, 0, 0, "AB", 0xFFFFFF);
    std::vector<uint8_t> px = test_read_pixels(10, 20, (int)(q[1].right - 10), 13);
    int lit = 0;
    for (uint8_t v : px) lit += v > 128;
    EXPECT_GT(lit, 20);
    std::vector<uint8_t> below = test_read_pixels(10, 34, 30, 10);
    for (uint8_t v : below) ASSERT_EQ(v, 0);
    font_select(test_font());
}

}  // namespace
