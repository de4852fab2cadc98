// blur_screen on a real 640 x 480 context: scale and quad counts captured in
// feedback mode, the texture's size and coordinates, the 1/4, 1/2, 1/4 kernel
// in pixels read back, uniform pictures staying uniform to the edges, and
// the state it restores.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "framework/draw/blur.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "tests/support/feedback.h"
#include "tests/support/gl_state.h"
#include "tests/support/test_window.h"

namespace {

// The quads blur_screen draws, four corners each.
std::vector<FeedbackVertex> blur_quads(float radius) {
    return feedback_quads(feedback_capture([radius] { blur_screen(radius); }));
}

class Blur : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(640, 480);
        glViewport(0, 0, 640, 480);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        expect_gl_at_rest();
        glDisable(GL_BLEND);
    }
};

TEST(BlurSizes, PowersOfTwoAndScaleCounts) {
    EXPECT_EQ(blur_texture_size(640), 1024);
    EXPECT_EQ(blur_texture_size(480), 512);
    EXPECT_EQ(blur_texture_size(512), 512);
    EXPECT_EQ(blur_texture_size(1), 1);
    EXPECT_EQ(blur_texture_size(0), 1);
    EXPECT_EQ(blur_scale_count(0.5f), 0);
    EXPECT_EQ(blur_scale_count(1), 1);
    EXPECT_EQ(blur_scale_count(8), 4);     // 8, 4, 2, 1
    EXPECT_EQ(blur_scale_count(7.9f), 3);  // 7.9, 3.95, 1.975
    EXPECT_EQ(blur_scale_count(NAN), 0);
    EXPECT_EQ(blur_scale_count(INFINITY), 0);
}

TEST_F(Blur, QuadCountsFollowTheScales) {
    EXPECT_EQ(blur_quads(0.5f).size(), 0u);
    EXPECT_EQ(blur_quads(1).size(), 4u * 4);
    EXPECT_EQ(blur_quads(8).size(), 16u * 4);
    EXPECT_EQ(blur_quads(7.9f).size(), 12u * 4);
    EXPECT_EQ(blur_quads(INFINITY).size(), 0u);
}

TEST_F(Blur, TextureCoversTheWindowAndQuadsShiftBothWays) {
    std::vector<FeedbackVertex> q = blur_quads(2);
    ASSERT_EQ(q.size(), 32u);
    const float r = 0.625f, o = 0.9375f, m = 2.0f / 1024, a = 2.0f / 512;
    const float corner[4][2] = {{0, 0}, {640, 0}, {640, 480}, {0, 480}};
    // Quad k's corners: top-left, top-right, bottom-right, bottom-left.
    const float tex[4][4][2] = {
        {{m, o}, {r + m, o}, {r + m, 0}, {m, 0}},
        {{-m, o}, {r - m, o}, {r - m, 0}, {-m, 0}},
        {{0, o + a}, {r, o + a}, {r, a}, {0, a}},
        {{0, o - a}, {r, o - a}, {r, -a}, {0, -a}},
    };
    const float alpha[4] = {0.33333334f, 0.25f, 0.33333334f, 0.25f};
    for (int k = 0; k < 4; k++)
        for (int c = 0; c < 4; c++) {
            const FeedbackVertex& v = q[k * 4 + c];
            EXPECT_NEAR(v.x, corner[c][0], 1e-3) << k << "," << c;
            EXPECT_NEAR(v.y_down, corner[c][1], 1e-3) << k << "," << c;
            EXPECT_NEAR(v.s, tex[k][c][0], 1e-6) << k << "," << c;
            EXPECT_NEAR(v.t, tex[k][c][1], 1e-6) << k << "," << c;
            EXPECT_NEAR(v.colour[3], alpha[k], 1e-6) << k;
            EXPECT_EQ(v.colour[0], 1.0f);
        }
    // The second scale shifts by half as much.
    EXPECT_NEAR(q[16].s, m / 2, 1e-6);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, blur_texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 512);
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
}

TEST_F(Blur, TextureNameIsMadeOnceAndKept) {
    blur_screen(0.5f);
    unsigned first = blur_texture;
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(glIsTexture(first));
    blur_screen(3);
    blur_screen(0.5f);
    EXPECT_EQ(blur_texture, first);
}

TEST_F(Blur, OnePixelRadiusSpreadsAQuarterEachWay) {
    glViewport(0, 0, 640, 480);
    begin_window_coords();
    fill_box(100, 0, 1, 480, 0xFFFFFF);  // a vertical line: only the horizontal pass touches it
    fill_box(300, 300, 300, 1, 0xFFFFFF);  // a horizontal line: only the vertical pass
    end_window_coords();
    blur_screen(1);
    std::vector<uint8_t> row = test_read_pixels(97, 100, 7, 1);
    std::vector<uint8_t> column = test_read_pixels(450, 297, 1, 7);
    const int expected[7] = {0, 0, 64, 128, 64, 0, 0};  // 1/4, 1/2, 1/4 of 255
    for (int i = 0; i < 7; i++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_NEAR(row[i * 3 + c], expected[i], 2) << "x " << 97 + i;
            EXPECT_NEAR(column[i * 3 + c], expected[i], 2) << "y " << 297 + i;
        }
    }
}

TEST_F(Blur, UniformPictureStaysUniformUpToEveryEdge) {
    glClearColor(200 / 255.0f, 100 / 255.0f, 50 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    blur_screen(8);
    std::vector<uint8_t> all = test_read_pixels(0, 0, 640, 480);
    int worst = 0;
    for (size_t i = 0; i < all.size(); i += 3) {
        worst = std::max(worst, abs(all[i] - 200));
        worst = std::max(worst, abs(all[i + 1] - 100));
        worst = std::max(worst, abs(all[i + 2] - 50));
    }
    EXPECT_LE(worst, 3);  // blending rounds a little per pass; nothing from outside the window leaks in
}

TEST_F(Blur, RestoresDepthBlendLightingAndTexturing) {
    for (float radius : {0.5f, 2.0f}) {
        GLuint mine = 0;
        glGenTextures(1, &mine);
        glBindTexture(GL_TEXTURE_2D, mine);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        blur_screen(radius);
        GLint src = 0, dst = 0, bound = 0;
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << radius;
        EXPECT_EQ(src, GL_ONE) << radius;
        EXPECT_EQ(dst, GL_ZERO) << radius;
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << radius;
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << radius;
        EXPECT_EQ((GLuint)bound, mine) << radius;

        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        blur_screen(radius);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << radius;
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << radius;
        glDisable(GL_TEXTURE_2D);
        glDeleteTextures(1, &mine);
    }
}

}  // namespace
