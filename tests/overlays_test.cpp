// The physics over the map with a real context: orbits land on their tracked
// points in a zoomed view, the plot keeps to its corner, the status line's
// bucket count runs in slices once the inputs rest, and pictures get the next
// free name, and the axes' ticks stand where the view (and its flip) puts them.
// The separatrix's pixels are held to a NumPy curve end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/overlays/area_plot.h"
#include "app/overlays/axes_overlay.h"
#include "app/model/bucket_status.h"
#include "app/render/map_png.h"
#include "app/model/map_space.h"
#include "app/overlays/orbits.h"
#include "app/model/physics.h"
#include "app/overlays/physics_overlay.h"
#include "app/overlays/status.h"
#include "app/render/map_count.h"
#include "app/overlays/ui_scale.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/window/graphics.h"
#include "tests/support/files.h"
#include "tests/support/fonts.h"
#include "tests/support/gl_state.h"
#include "tests/support/map_program.h"
#include "tests/support/map_reference.h"
#include "tests/support/test_window.h"

namespace {

const int W = 640, H = 480;
const uint32_t CLEARED = 0x123456;  // no overlay draws it
const double PHASE = map_radians(-60);

std::vector<uint32_t> drawn(void (*draw)()) {
    test_window_open(W, H);
    test_clear(CLEARED);
    draw();
    expect_gl_at_rest();
    return test_read_picture(W, H);
}

TEST(Overlays, OrbitsLandOnTheirPointsInAZoomedView) {
    static ViewerState s;
    s = viewer_state_make(-30, 100);
    s.d = 0.6;
    state_toggle_lock(&s);
    state_click(&s, 200, 250, W, H);  // inside the bucket
    state_click(&s, 330, 120, W, H);  // leaves it
    state_zoom(&s, 3, 320, 240, W, H);
    static Orbits orbits = {};
    std::vector<uint32_t> picture = drawn([] { orbits_draw(&orbits, s, s.view, W, H); });
    // Every point's pixel and its eight neighbours, in the orbit's colour; nothing else.
    std::vector<int> want(W * H, -1);
    int inside = 0;
    for (int k = 0; k < s.orbit_count; k++) {
        const OrbitStart& o = s.orbits[k];
        float points[2 * 102];
        int n = std::min(track_start(o.x, o.xp, o.d, o.phase, o.maxit, points, 102) + 1, 102);
        for (int i = 0; i < n; i++) {
            int col = (int)std::floor((points[2 * i] - s.view.x0) / (s.view.x1 - s.view.x0) * W);
            int row = (int)std::floor((points[2 * i + 1] - s.view.xp0) / (s.view.xp1 - s.view.xp0) * H);
            if (col < 0 || col >= W || row < 0 || row >= H) continue;
            inside++;
            for (int y = std::max(row - 1, 0); y <= std::min(row + 1, H - 1); y++)
                for (int x = std::max(col - 1, 0); x <= std::min(col + 1, W - 1); x++) want[y * W + x] = k;
        }
    }
    EXPECT_GT(inside, 50);
    int wrong = 0;  // where the two orbits' points meet, the later one is on top, as here
    for (int i = 0; i < W * H; i++)
        wrong += picture[i] != (want[i] < 0 ? CLEARED : (uint32_t)orbit_colour(s.orbits[want[i]].serial));
    EXPECT_EQ(wrong, 0);
}

TEST(Overlays, PlotSamplesAxesAndCorner) {
    static AreaPlot p = {};
    area_plot_add(&p, 1, 100, 0.5, 1.0);
    area_plot_add(&p, 1, 100, 0.25, 2.0);
    area_plot_add(&p, 1, 100, 0.5, 3.0);  // the same d: replaced
    ASSERT_EQ(p.count, 2);
    EXPECT_EQ(p.samples[0].d * 10 + p.samples[1].area, 2.5 + 3.0);
    area_plot_add(&p, 1, 200, 1.0, 1.0);  // other cells: the plot starts afresh
    EXPECT_EQ(p.count, 1);
    for (int i = 0; i < area_plot_max_samples + 10; i++) area_plot_add(&p, 1, 200, i * 0.01, 0.5);
    EXPECT_EQ(p.count, area_plot_max_samples);
    for (int i = 1; i < p.count; i++) ASSERT_LT(p.samples[i - 1].d, p.samples[i].d);
    EXPECT_EQ((std::vector<double>{plot_axis(0.99).top, plot_axis(0.99).step, plot_axis(16.8).top,
                                   plot_axis(16.8).step, plot_axis(0).top}),
              (std::vector<double>{1, 0.2, 20, 5, 1}));

    p.count = 0;
    area_plot_add(&p, 1, 100, 2.5, 12.0);
    load_embedded_font();
    std::vector<uint32_t> picture = drawn([] { area_plot_draw(p, 16, 2.5, W, H); });
    int left = W - area_plot_w - 8, top = H - area_plot_h - 40, outside = 0, measured = 0;
    for (int i = 0; i < W * H; i++) {
        bool in_box = i % W >= left && i / W >= top && i / W < H - 20;
        outside += !in_box && picture[i] != CLEARED;
        measured += picture[i] == 0xFF8040u && i / W > top + 40;  // below the legend: the sample
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GE(measured, 9);
    delete_all_fonts();
}

// A's ticks stand where phase space puts them, computed here from the view
// alone: multiples of pi/2 along the bottom, whole xp up the left edge, which
// V turns upside down.
TEST(Overlays, AxesTicksFollowTheViewAndTheFlip) {
    test_window_open(W, H);  // the font's atlas needs the context
    load_embedded_font();
    static ViewerState s = viewer_state_make(-30, 100);
    s.view = {0, map_two_pi, -3, 1.5};
    for (bool flipped : {false, true}) {
        s.flipped = flipped;
        std::vector<uint32_t> picture = drawn([] { axes_draw(s, state_shown_view(s), W, H); });
        std::vector<int> rows, cols, want_rows, want_cols;
        for (int y = 0; y < H; y++)
            if (picture[y * W + 2] == 0xFFFFFFu) rows.push_back(y);
        const int base_row = H - font_line_height - 4 - 1;
        for (int x = 0; x < W; x++)
            if (picture[base_row * W + x] == 0xFFFFFFu) cols.push_back(x);
        for (int xp = -3; xp <= 1; xp++) {
            double f = (xp - s.view.xp0) / (s.view.xp1 - s.view.xp0);
            int row = (int)std::floor((flipped ? 1 - f : f) * H);
            if (row < H) want_rows.push_back(row);
        }
        std::sort(want_rows.begin(), want_rows.end());
        for (int k = 0; k < 4; k++) want_cols.push_back((int)std::floor(k / 4.0 * W));
        EXPECT_EQ(rows, want_rows) << flipped;
        EXPECT_EQ(cols, want_cols) << flipped;
    }
    delete_all_fonts();
}

TEST(Overlays, OwnTextsScaleWithTheScreenAndTheDesktop) {
    struct Case { int height; double system; int k; };
    for (Case c : {Case{1080, 1, 1}, {1440, 1, 1}, {2160, 1, 2}, {2160, 1.25, 2}, {4320, 1, 4}, {1080, 1.5, 2},
                   {1080, 2, 2}, {2160, 3, 3}, {600, 1, 1}, {1, 0, 1}, {1080, 1e9, 1}})
        EXPECT_EQ(ui_scale_for(c.height, c.system), c.k) << c.height << " rows at " << c.system;
}

TEST(Overlays, BucketCountWaitsForRestThenRunsInSlices) {
    BucketStatus b = bucket_status_make();
    b.side = 256;
    const float phase = (float)PHASE;
    EXPECT_FALSE(bucket_status_frame(&b, 0.25f, phase, 1000, 0.0));
    EXPECT_FALSE(bucket_status_frame(&b, 0.5f, phase, 1000, 0.2));  // moved: the rest starts again
    EXPECT_FALSE(bucket_status_frame(&b, 0.5f, phase, 1000, 0.4));
    EXPECT_FALSE(b.counting);
    char text[256];
    status_bucket_text(b.figures, "measuring 0%", text, sizeof text);
    EXPECT_NE(std::string(text).find("area ... / 5.334 (...)"), std::string::npos) << text;
    int frames = 1;
    while (!bucket_status_frame(&b, 0.5f, phase, 1000, 0.5)) frames++;
    EXPECT_GT(frames, 2);  // one frame's budget is not the whole count
    EXPECT_NEAR(b.figures.ratio, 1, 0.01);
    EXPECT_NEAR(b.figures.measured_half_height, b.figures.continuum_half_height, 2 * 6.0 / 256);
    status_bucket_text(bucket_figures(3, phase, 0.25, 0), nullptr, text, sizeof text);
    EXPECT_STREQ(text, "centre unstable past d = 2.149: survivors are islands, area 0.25 (continuum bucket 5.334)");
    status_bucket_text(bucket_figures(0, phase, 37.7, 0), nullptr, text, sizeof text);
    EXPECT_STREQ(text, "no bucket: there is one for 0 < d < 2.149");
    for (float d : {0.5f, 0.0f}) {  // hours of counting, or nothing moves: none at all
        float cells = d == 0.5f ? 200000 : 100;
        EXPECT_FALSE(bucket_status_frame(&b, d, phase, cells, 0.0) || bucket_status_frame(&b, d, phase, cells, 9));
        EXPECT_FALSE(b.counting);
    }
}

// The status line counts the map the card draws, at the window's size, in
// bands: its area is the reference picture's black pixels, bucket or islands.
TEST(Overlays, StatusCountsTheDrawnMapAtTheWindowsSize) {
    test_window_open(W, H);
    map_count_program = test_map_program();
    const struct {
        float d, maxit;
        double degrees;
    } cases[] = {{0.5f, 300, -60}, {1.5f, 100, -30}, {2.05f, 200, -90}};
    for (const auto& c : cases) {
        float phase = map_phase_radians(c.degrees);
        BucketStatus b = bucket_status_make();
        b.run = map_count_run, b.w = W, b.h = H, b.budget = 0.002;
        EXPECT_FALSE(bucket_status_frame(&b, c.d, phase, c.maxit, 0.0));  // the inputs rest first
        for (int frames = 0; !bucket_status_frame(&b, c.d, phase, c.maxit, 1.0) && frames < 100000;) frames++;
        std::vector<uint32_t> picture = map_picture(W, H, c.d, phase, c.maxit);
        double black = (double)std::count(picture.begin(), picture.end(), 0u), pixel = map_two_pi * 6 / (W * H);
        EXPECT_NEAR(b.figures.measured_area, black * pixel, 0.003 * black * pixel + 4 * pixel) << c.degrees;
    }
}

// A machine so fast that no slice of 100000 passes can be timed: every clock
// reading is 0.2 ms after the last, however much was done in between.
double stepping_clock() {
    static double now = 0;
    return now += 2e-4;
}

TEST(Overlays, BucketCountFillsItsBudgetOnAFastMachine) {
    double (*real_clock)() = graphics.timer;
    graphics.timer = stepping_clock;
    BucketStatus b = bucket_status_make();
    b.side = 256;  // about 10 million passes in all
    bucket_status_frame(&b, 0.5f, (float)PHASE, 1000, 0.0);
    int frames = 1;
    while (!bucket_status_frame(&b, 0.5f, (float)PHASE, 1000, 1.0) && frames < 50) frames++;
    graphics.timer = real_clock;
    EXPECT_GT(b.passes_per_second, 0);
    EXPECT_LE(frames, 3) << "slices of 100000 passes would take some 100 frames";
    EXPECT_TRUE(b.have);
}

// Beside a view narrower than its distance from the curve, columns are far
// outside int's range: nothing to draw, at once.
TEST(Overlays, SeparatrixBesideANarrowView) {
    std::vector<PixelRun> runs = {{1, 2, 3}};
    for (ViewWindow v : {ViewWindow{0, 1e-9, -3, 3}, ViewWindow{6.2, 6.2 + 1e-9, -3, 3}}) {
        separatrix_runs(PHASE, v, 1920, 1080, &runs);
        EXPECT_TRUE(runs.empty()) << v.x0;
    }
    // One that the curve crosses has it in every column, above and below.
    double x_s = fixed_points(PHASE, 0).x_stable;
    separatrix_runs(PHASE, {x_s - 1e-9, x_s + 1e-9, -3, 3}, 1920, 1080, &runs);
    std::vector<int> per_column(1920);
    for (const PixelRun& r : runs) per_column.at(r.col)++;
    EXPECT_EQ(*std::min_element(per_column.begin(), per_column.end()), 2);
}

// The figures shown follow a phase change at once, with nothing measured
// until the new count is done.
TEST(Overlays, BucketFiguresFollowThePhaseAtOnce) {
    BucketStatus b = bucket_status_make();
    b.side = 64;
    EXPECT_FALSE(b.figures.exists);  // before any frame
    for (double degrees : {-60.0, -30.0}) {
        float phase = map_phase_radians(degrees);
        EXPECT_FALSE(bucket_status_frame(&b, 0.5f, phase, 100, 0.0));
        EXPECT_EQ(b.figures.continuum_area, continuum_bucket_area(phase)) << degrees;
        EXPECT_TRUE(std::isnan(b.figures.measured_area)) << degrees;
        int frames = 0;
        while (!bucket_status_frame(&b, 0.5f, phase, 100, 1.0) && frames < 1000) frames++;
        EXPECT_EQ(b.figures.continuum_area, continuum_bucket_area(phase)) << degrees;
        EXPECT_GT(b.figures.measured_area, 0) << degrees;  // a number, not the NaN of the wait
    }
}

// A kept separatrix follows every change of phase, view and size: each
// picture differs from the one before and equals one drawn from nothing.
TEST(Overlays, KeptSeparatrixFollowsItsInputs) {
    static Separatrix kept = {};
    static double phase;
    static ViewWindow view;
    static int w;
    struct Inputs {
        double phase;
        ViewWindow view;
        int w;
    };
    const ViewWindow zoomed = {1, 4, -2, 2};
    std::vector<uint32_t> before;
    for (Inputs c : {Inputs{PHASE, view_full(), W}, Inputs{map_radians(-30), view_full(), W},
                     Inputs{map_radians(-30), zoomed, W}, Inputs{map_radians(-30), zoomed, W / 2}}) {
        phase = c.phase;
        view = c.view;
        w = c.w;
        std::vector<uint32_t> got = drawn([] { draw_separatrix(&kept, phase, view, w, H); });
        std::vector<uint32_t> fresh = drawn([] {
            Separatrix s = {};
            draw_separatrix(&s, phase, view, w, H);
        });
        EXPECT_GT(std::count(got.begin(), got.end(), (uint32_t)separatrix_colour), 0) << c.phase << " " << c.w;
        EXPECT_TRUE(got == fresh) << c.phase << " " << c.view.x0 << " " << c.w;
        EXPECT_FALSE(got == before) << c.phase << " " << c.view.x0 << " " << c.w;
        before = got;
    }
}

TEST(Overlays, PicturesTakeTheNextFreeName) {
    ScratchFolder folder(true);
    write_file("tessaline-0001.png", std::string("taken"));
    std::filesystem::create_directory("tessaline-0002.png");
    char name[32];
    EXPECT_EQ(next_picture_name(1, name, sizeof name), 3);
    EXPECT_STREQ(name, "tessaline-0003.png");
    EXPECT_EQ(next_picture_name(12345, name, sizeof name), 12345);
    EXPECT_STREQ(name, "tessaline-12345.png");
    EXPECT_EQ(next_picture_name(1, name, 10), 0);
}

}  // namespace
