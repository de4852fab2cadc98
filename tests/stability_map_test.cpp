// The stability map's fragment program on the real driver, compared pixel by
// pixel with the CPU reference, and its edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/model/map_space.h"
#include "app/render/map_view.h"
#include "framework/shader/shader.h"
#include "tests/support/map_program.h"
#include "tests/support/map_reference.h"
#include "tests/support/test_window.h"

namespace {

const int W = 640, H = 480;

class StabilityMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(W, H);
        ASSERT_EQ(shaders_available(), 1);
    }

    // Draws the map as the viewer does and returns the picture, rows top first.
    std::vector<uint32_t> render(float d, float phase, float maxit, GLuint program = test_map_program()) {
        glDisable(GL_DEPTH_TEST);
        draw_map_quad(program, d, phase, maxit, view_full(), 0, 0, W, H);
        glEnable(GL_DEPTH_TEST);
        return test_read_picture(W, H);
    }
};

const float DEFAULT_PHASE = map_phase_radians(-30);

TEST_F(StabilityMapTest, MatchesTheCpuReference) {
    for (float d : {0.1f, 0.5f, 1.0f, 2.0f, 4.0f}) {
        std::vector<uint32_t> got = render(d, DEFAULT_PHASE, 100);
        EXPECT_GE(map_agreement(got, map_picture(W, H, d, DEFAULT_PHASE, 100)), 0.99) << "d = " << d;
    }
    std::vector<uint32_t> got = render(0.7f, 0.5f, 30);
    EXPECT_GE(map_agreement(got, map_picture(W, H, 0.7f, 0.5f, 30)), 0.99);
}

TEST_F(StabilityMapTest, ZeroStepIsAllBlack) {
    for (uint32_t p : render(0, DEFAULT_PHASE, 100)) ASSERT_EQ(p, 0u);
}

TEST_F(StabilityMapTest, NegativeCellCountIsAllBlack) {
    for (uint32_t p : render(3.0f, DEFAULT_PHASE, -1)) ASSERT_EQ(p, 0u);
}

TEST_F(StabilityMapTest, ZeroCellsMakesOnePassAndShowsNoLoss) {
    // One pass is made; it is pass maxit + 1, so even a point that leaves on it
    // ends with i = 1 > maxit and is drawn black: the whole map is black.
    for (uint32_t p : render(2.0f, DEFAULT_PHASE, 0)) ASSERT_EQ(p, 0u);
    // One more cell shows the points lost after one cell, with the colour of one cell.
    std::vector<uint32_t> got = render(2.0f, DEFAULT_PHASE, 1);
    size_t lost = 0;
    const uint32_t one_cell = map_colour(1, 1);  // (0.01, 0.0999, 0.5)
    for (uint32_t p : got) lost += p == one_cell;
    EXPECT_GT(lost, got.size() / 10);
    EXPECT_GE(map_agreement(got, map_picture(W, H, 2.0f, DEFAULT_PHASE, 1)), 0.99);
}

TEST_F(StabilityMapTest, LeavingOnTheLastPassIsDrawnBlack) {
    // With maxit 1 a point may make two passes; one that leaves on the second
    // ends with i = 2 > maxit and is black, like a survivor.
    const float d = 1.5f;
    std::vector<uint32_t> got = render(d, DEFAULT_PHASE, 1);
    size_t checked = 0;
    for (int y = 0; y < H; y += 7)
        for (int x = 0; x < W; x += 7) {
            float s = (x + 0.5f) / W, t = (y + 0.5f) / H;
            if (map_passes(s, t, d, DEFAULT_PHASE, 1) != 2) continue;
            if (map_passes(s, t, d, DEFAULT_PHASE, 5) != 2) continue;  // it really leaves on pass 2
            checked++;
            EXPECT_EQ(got[(size_t)y * W + x], 0u) << x << "," << y;
        }
    EXPECT_GT(checked, 10u);
}

TEST_F(StabilityMapTest, ZeroPhaseNeverGainsMomentum) {
    // sin(x) - 1 <= 0: the momentum only falls, so the top half (xp < 0) leaves
    // towards x < 0 only; the picture is the reference's.
    std::vector<uint32_t> got = render(1.0f, 0.0f, 100);
    EXPECT_GE(map_agreement(got, map_picture(W, H, 1.0f, 0.0f, 100)), 0.99);
}

TEST_F(StabilityMapTest, UnlinkedProgramFallsBackToTheQuadColour) {
    char *fragment_log = nullptr, *link_log = nullptr;
    GLuint broken = build_fragment_program("void main() { gl_FragColor = nonsense; }", &fragment_log, &link_log);
    free(fragment_log);
    free(link_log);
    std::vector<uint32_t> got = render(1.0f, DEFAULT_PHASE, 100, broken);
    EXPECT_EQ(got[0], 0x000080u);  // glColor3f(0, 0, 0.5)
    EXPECT_EQ(got[got.size() - 1], 0x000080u);
}

}  // namespace
