// The map on screen with a real context: a reused frame is the same picture
// as a freshly drawn one, zoomed views, previews and maps drawn in parts all
// match the CPU reference, and a huge cell count draws only a part a frame.
#include <gtest/gtest.h>

#include <cmath>

#include "app/model/map_space.h"
#include "app/render/map_view.h"
#include "app/model/viewer_state.h"
#include "framework/platform/gl.h"
#include "framework/shader/shader.h"
#include "framework/window/graphics.h"
#include "tests/support/map_program.h"
#include "tests/support/map_reference.h"
#include "tests/support/test_window.h"

namespace {

const int W = 640, H = 480;
const float PHASE = map_phase_radians(-30);
const uint32_t CLEARED = 0x123456;  // the back buffer before each frame: no map colour

class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(W, H);
        program = test_map_program();
        view = map_view_make();
    }
    void TearDown() override { map_view_release(&view); }

    MapInputs inputs(float d, float maxit = 100, ViewWindow v = view_full()) { return {d, PHASE, maxit, v, W, H}; }

    // One frame's map on a back buffer cleared to CLEARED.
    void draw(const MapInputs& in, bool preview = false, double now = 0, GLuint prog = 0) {
        test_clear(CLEARED);
        map_view_frame(&view, prog ? prog : program, in, preview, now);
    }
    std::vector<uint32_t> frame(const MapInputs& in, bool preview = false, double now = 0, GLuint prog = 0) {
        draw(in, preview, now, prog);
        return test_read_picture(W, H);
    }

    static std::vector<uint32_t> reference(const MapInputs& in) {
        return map_picture(W, H, in.d, in.phase, in.maxit, (float)view_s(in.view.x0), (float)view_s(in.view.x1),
                           (float)view_t(in.view.xp0), (float)view_t(in.view.xp1));
    }

    GLuint program = 0;
    MapView view;
};

TEST_F(MapViewTest, ReusedFrameIsTheFreshlyDrawnPicture) {
    MapInputs in = inputs(0.7f);
    std::vector<uint32_t> fresh = frame(in);
    EXPECT_GE(map_agreement(fresh, reference(in)), 0.99);
    // A program that never linked would paint (0, 0, 0.5): seeing the map proves it was reused.
    GLuint unlinked = glCreateProgram();
    std::vector<uint32_t> reused = frame(in, false, 1, unlinked);
    EXPECT_TRUE(reused == fresh) << "a reused pixel differs";
    // Any input changed draws anew.
    for (MapInputs other : {inputs(0.71f), inputs(0.7f, 20), inputs(0.7f, 100, {0, 3, -3, 0})}) {
        std::vector<uint32_t> again = frame(other);
        EXPECT_FALSE(again == fresh);
        EXPECT_GE(map_agreement(again, reference(other)), 0.99);
    }
}

TEST_F(MapViewTest, WindowWiderThanTheTextureLimitIsDrawnEveryFrame) {
    view.texture_limit = W - 1;  // as a driver whose largest texture is narrower than the window
    MapInputs in = inputs(0.7f);
    std::vector<uint32_t> first = frame(in);
    EXPECT_GE(map_agreement(first, reference(in)), 0.99);
    EXPECT_EQ(view.texture, 0u);
    // Nothing kept to show again: the unlinked program's blue proves the quad was drawn anew.
    std::vector<uint32_t> again = frame(in, false, 1, glCreateProgram());
    EXPECT_EQ(again[(size_t)H / 2 * W + W / 2], 0x000080u);
    EXPECT_GE(map_agreement(frame(in, true, 2), reference(in)), 0.99);  // no preview either
    EXPECT_EQ(view.progress, 1);
}

TEST_F(MapViewTest, TextureUploadKeepsToItsBuffer) {
    // A caller's unpack state would read the black start far past it.
    test_scramble_pixel_store();
    view.parts_above = 0;
    view.frame_budget = 0.002;
    view.pass_seconds = 2.5e-9;
    draw(inputs(0.3f, 400));
    EXPECT_TRUE(test_pixel_store_kept());
    ASSERT_LT(view.progress, 0.5);
    std::vector<uint32_t> got = test_read_picture(W, H);
    int lit = 0;
    for (size_t i = (size_t)W * H / 2; i < got.size(); i++) lit += got[i] != 0;
    EXPECT_EQ(lit, 0) << "the lower half is not drawn yet: black";
}

TEST_F(MapViewTest, DeepestZoomStillShowsItsViewWindow) {
    // As deep as the controls go, about the curve where points lost in the
    // first cell (x + d (xp + d (sin x - ssp)) < 0) meet those lost later: a
    // smooth edge whose place is known in double precision. It must stay in
    // place, not turn into a staircase of pixels that share a starting point.
    const double d = 1, ssp = std::sin(map_two_pi / 4 + PHASE);
    auto first_pass = [&](double x, double xp) { return x + d * (xp + d * (std::sin(x) - ssp)); };
    auto edge_x = [&](double xp) {  // where first_pass crosses 0, between 3.5 and 5
        double lo = 3.5, hi = 5;
        for (int i = 0; i < 60; i++) (first_pass((lo + hi) / 2, xp) < 0 ? lo : hi) = (lo + hi) / 2;
        return lo;
    };
    ViewerState s = viewer_state_make(-30, 100);
    while (!s.zoom_limited) state_zoom(&s, 1, edge_x(-2.5) / map_two_pi * W, (-2.5 + 3) / 6 * H, W, H);
    const ViewWindow& v = s.view;
    std::vector<uint32_t> got = frame(inputs((float)d, 100, v));
    const uint32_t lost_at_once = map_colour(1, 100);
    int rows = 0, misplaced = 0;
    for (int y = 0; y < H; y++) {
        double edge = (edge_x(view_xp_at(v, y + 0.5, H)) - v.x0) / (v.x1 - v.x0) * W - 0.5;  // in columns
        if (edge < 1 || edge > W - 2) continue;
        int x = 0;
        while (x < W && got[(size_t)y * W + x] == lost_at_once) x++;
        rows++;
        misplaced += std::abs(x - std::ceil(edge)) > 1;
    }
    EXPECT_GT(rows, H / 4) << "the edge is not in the picture";
    EXPECT_EQ(misplaced, 0) << "zoom " << view_zoom(v);
}

TEST_F(MapViewTest, PreviewIsCoarseWhileMovingThenFull) {
    for (int level : {2, 4}) {
        map_view_release(&view);
        view.full_seconds = level == 2 ? 0.01 : 1.0;  // the last full map's time picks the level
        MapInputs in = inputs(0.9f);
        std::vector<uint32_t> coarse = frame(in, true, 10);
        std::vector<uint32_t> small = map_picture(W / level, H / level, in.d, in.phase, in.maxit);
        std::vector<uint32_t> expected((size_t)W * H);
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++)
                expected[(size_t)y * W + x] = small[(size_t)(y / level) * (W / level) + x / level];
        EXPECT_GE(map_agreement(coarse, expected), 0.99) << level;
        EXPECT_TRUE(frame(in, true, 10 + view.rest / 2) == coarse) << "still resting: the preview stays";
        std::vector<uint32_t> full = frame(in, true, 10 + view.rest * 2);
        EXPECT_GE(map_agreement(full, reference(in)), 0.99) << level;
    }
}

TEST_F(MapViewTest, PartsAcrossFramesAddUpToTheWholeMap) {
    MapInputs in = inputs(0.3f, 400);
    std::vector<uint32_t> whole = frame(in);  // drawn whole: the estimate stays under a second here
    ASSERT_EQ(view.progress, 1);
    map_view_release(&view);
    view.parts_above = 0;       // every map in parts
    view.frame_budget = 0.002;  // well under the whole map's time
    view.pass_seconds = 2.5e-9; // tiles of about 2,000 pixels
    float last = 0;
    int frames = 0;
    do {
        draw(in, false, frames);
        EXPECT_GT(view.progress, last);
        last = view.progress;
    } while (view.progress < 1 && ++frames < 10000);
    EXPECT_GT(frames, 3);
    EXPECT_TRUE(test_read_picture(W, H) == whole) << "the parts differ from the whole map";
}

TEST_F(MapViewTest, PartsStartFromThePreviousPictureMovedToTheNewView) {
    struct Move {
        const char* name;
        ViewWindow view;
        int (*old_x)(int), (*old_y)(int);  // the old pixel that lies under new pixel x, y; -1 beyond the old view
    };
    const ViewWindow full = view_full();
    const Move moves[] = {
        {"zoom x2 about the centre", view_zoomed(full, 2, W / 2.0, H / 2.0, W, H), [](int x) { return W / 4 + x / 2; },
         [](int y) { return H / 4 + y / 2; }},
        {"zoom x2 then pan right by a quarter", view_panned(view_zoomed(full, 2, W / 2.0, H / 2.0, W, H), W / 4, 0, W, H),
         [](int x) { return x < W / 4 ? -1 : (x - W / 4) / 2 + W / 4; }, [](int y) { return H / 4 + y / 2; }},
    };
    for (const Move& m : moves) {
        map_view_release(&view);
        MapInputs in = inputs(0.3f, 400);
        std::vector<uint32_t> before = frame(in);  // whole: the estimate stays under a second
        view.parts_above = 0;
        view.frame_budget = 0.002;
        view.pass_seconds = 2.5e-9;
        MapInputs moved = in;
        moved.view = m.view;
        std::vector<uint32_t> got = frame(moved, false, 1);
        ASSERT_LT(view.progress, 0.5) << m.name;
        // Below the part drawn, the old picture where it now lies.
        std::vector<uint32_t> want, seen;
        for (int y = (int)std::ceil(view.progress * H) + 8; y < H; y++)
            for (int x = 0; x < W; x++) {
                int ox = m.old_x(x), oy = m.old_y(y);
                want.push_back(ox < 0 ? 0u : before[(size_t)oy * W + ox]);
                seen.push_back(got[(size_t)y * W + x]);
            }
        EXPECT_GE(map_agreement(seen, want), 0.99) << m.name;
    }
}

TEST_F(MapViewTest, HugeCellCountDrawsAPartAFrame) {
    // d = 0: every pixel survives every pass, the worst a map can cost.
    MapInputs in = inputs(0.0f, 16777215);
    std::vector<uint32_t> got = frame(in);
    EXPECT_GT(view.pass_seconds, 0);
    EXPECT_GT(view.progress, 0);
    EXPECT_LT(view.progress, 0.01);
    EXPECT_EQ(got[(size_t)(H - 1) * W], 0u);  // not yet drawn: black
    // Drawn. (A survivor is black; llvmpipe ends any loop after 65535 passes,
    // which the program then colours as a loss.)
    EXPECT_NE(got[0], CLEARED);
    // Minimised: nothing is drawn and nothing breaks.
    MapInputs gone = in;
    gone.width = 0;
    map_view_frame(&view, program, gone, false, 1);
}

}  // namespace
