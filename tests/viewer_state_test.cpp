// The viewer's controls without a window: the state record driven through
// apply_input with the frames that keys, wheel and pointer would give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/model/map_space.h"
#include "app/overlays/orbits.h"
#include "app/model/physics.h"
#include "app/model/pointer_probe.h"
#include "app/overlays/status.h"
#include "app/model/viewer_state.h"
#include "framework/platform/keymap.h"
#include "tests/support/map_reference.h"

namespace {

const int W = 1920, H = 1080;
const uint16_t SHIFT = 0x100, LEFT = 0x25, UP = 0x26, RIGHT = 0x27, DOWN = 0x28, SPACE = 0x20, HOME = 0x24,
               KEY_I = 0x49, KEY_H = 0x48, F1 = 0x70, KEY_F = 0x46, KEY_S = 0x53, KEY_G = 0x47, KEY_C = 0x43,
               KEY_P = 0x50, KEY_R = 0x52, KEY_N = 0x4E, KEY_J = 0x4A, KEY_V = 0x56, KEY_A = 0x41;

struct Frame {
    ViewerInput in = {W, H, 0, 0, 0, 0, nullptr, 0, false, 0, 0, 0, 0};
    std::vector<uint16_t> keys;
    Frame(int x, int y, std::initializer_list<uint16_t> k = {}) : keys(k) { in.mouse_x = x, in.mouse_y = y; }
    Frame& wheel(int notches) { return in.wheel = 120 * notches, *this; }
    Frame& right() { return in.buttons = 2, *this; }
    Frame& at(double now) { return in.now = now, *this; }
    Frame& click(double now) { return in.clicks = 1, in.click_x = in.mouse_x, in.click_y = in.mouse_y, at(now); }
    const ViewerInput& input() {
        in.presses = keys.data();
        in.press_count = (int)keys.size();
        return in;
    }
    void apply(ViewerState* s) { apply_input(s, input()); }
};

ViewerState fresh(int cells = 100) { return viewer_state_make(-30, cells); }

TEST(ViewerStateTest, PhaseAndCellKeys) {
    ViewerState s = fresh();
    EXPECT_FALSE(s.status_shown);
    Frame(384, 300, {RIGHT | SHIFT, RIGHT | SHIFT, LEFT}).apply(&s);
    EXPECT_EQ(s.phase_degrees, -11);
    EXPECT_EQ(s.phase, map_phase_radians(-11));  // converted as at start-up
    EXPECT_TRUE(s.status_shown);  // the first key brings it up
    EXPECT_FALSE(s.cells_changed);
    // Up walks 1, 2, 5 x 10^n to the cap and Down walks it back, every count on the way.
    std::vector<int> steps;
    for (std::string zeros; zeros.size() <= 5; zeros += "0")
        for (const char* m : {"1", "2", "5"})
            if (std::stoi(m + zeros) <= viewer_cells_cap) steps.push_back(std::stoi(m + zeros));
    s = fresh(1);
    std::vector<int> up = {s.cells}, down;
    for (int i = 0; i < 20; i++) Frame(0, 0, {UP}).apply(&s), up.push_back(s.cells);
    up.erase(std::unique(up.begin(), up.end()), up.end());
    EXPECT_EQ(up, steps);
    for (int i = 0; i < 20; i++) down.insert(down.begin(), s.cells), Frame(0, 0, {DOWN}).apply(&s);
    down.erase(std::unique(down.begin(), down.end()), down.end());
    EXPECT_EQ(down, steps);
    EXPECT_TRUE(s.cells_changed);
    // A count between steps (from the file) goes to the next step in the direction pressed;
    // past the cap Up leaves it, honoured and warned of.
    struct Between { int cells, key, after; };
    for (Between b : {Between{97, UP, 100}, {97, DOWN, 50}, {100, DOWN, 50}, {0, UP, 1}, {3, DOWN, 2}, {3, UP, 5},
                      {300000, UP, 300000}, {300000, DOWN, viewer_cells_cap}, {99999, UP, viewer_cells_cap}}) {
        ViewerState t = fresh(b.cells);
        Frame(0, 0, {(uint16_t)b.key}).apply(&t);
        EXPECT_EQ(t.cells, b.after) << b.cells << " key " << b.key;
        EXPECT_EQ(t.status_shown, true);
    }
}

TEST(ViewerStateTest, BracketsStepALockedD) {
    const uint16_t LB = VK_CODE_LBRACKET, RB = VK_CODE_RBRACKET;
    ViewerState s = fresh();
    Frame(1000, 0, {LB, RB}).apply(&s);
    EXPECT_DOUBLE_EQ(s.d, 1000.0 / W * map_d_across);  // unlocked: the pointer's, brackets do nothing
    Frame(1000, 0, {SPACE}).apply(&s);
    const double start = s.d;  // 2.6041666...
    struct Case { std::vector<uint16_t> keys; double d; };
    for (const Case& c : {Case{{RB}, std::floor(start * 1000 + 1) / 1000}, Case{{LB}, std::ceil(start * 1000 - 1) / 1000},
                          Case{{RB, RB, RB}, std::floor(start * 1000 + 3) / 1000},
                          Case{{RB | SHIFT}, std::floor(start * 100 + 1) / 100},
                          Case{{LB | SHIFT, LB | SHIFT}, std::ceil(start * 100 - 2) / 100}}) {
        ViewerState t = s;
        Frame f(0, 0);  // the pointer moves away: the locked d stays the brackets'
        f.keys = c.keys;
        f.apply(&t);
        EXPECT_NEAR(t.d, c.d, 1e-12) << c.keys.size();
        char line[512];
        status_text(t, 1, line, sizeof line);
        char shown[32];
        snprintf(shown, sizeof shown, "d %g locked", c.d);
        EXPECT_NE(std::string(line).find(shown), std::string::npos) << line;
    }
    ViewerState low = s;
    low.d = 0.0004;
    Frame(0, 0, {LB, LB}).apply(&low);
    EXPECT_EQ(low.d, 0);  // never below 0
}

// The phase keys, and a phase from the file, wrap into (-180, 180].
TEST(ViewerStateTest, PhaseWrapsIntoOneTurn) {
    const struct {
        double start;
        std::vector<uint16_t> keys;
        double expected;
    } cases[] = {
        {179, {RIGHT}, 180}, {180, {RIGHT}, -179}, {-179, {LEFT}, 180}, {-175, {LEFT | SHIFT}, 175},
        {390, {}, 30},       {-180, {}, 180},      {1e6, {}, -80},       {-1e6, {RIGHT}, 81},
        {720, {}, 0},        {NAN, {}, viewer_fallback_phase},           {INFINITY, {}, viewer_fallback_phase},
    };
    for (const auto& c : cases) {
        ViewerState s = viewer_state_make(c.start, 100);
        Frame f(0, 0);
        (f.keys = c.keys, f).apply(&s);
        EXPECT_EQ(s.phase_degrees, c.expected) << c.start;
        EXPECT_EQ(s.phase, map_phase_radians(c.expected)) << c.start;
        // A phase from the file that is not drawn as written is said so, and stays said.
        bool changed = !(c.start == c.expected) && (c.keys.empty() || std::fabs(c.start) > 360);
        EXPECT_EQ(s.status_shown, changed || !c.keys.empty()) << c.start;
        EXPECT_EQ(std::string(s.notice).find("config.txt's phase") == 0, changed) << c.start << " " << s.notice;
    }
}

TEST(ViewerStateTest, ProgramLimitLetsTheFloatCounterEndTheLoop) {
    EXPECT_EQ(state_maxit(fresh(100)), 100.0f);
    for (int cells : {16777215, 16777216, 16777217, 2147483647}) {
        // A survivor's loop, counted in float as the program counts it.
        float maxit = state_maxit(fresh(cells));
        volatile float i = maxit - 2;
        for (int passes = 0; i <= maxit && passes < 10; passes++) i = i + 1.0f;
        EXPECT_GT(i, maxit) << cells;
    }
}

TEST(ViewerStateTest, SpaceLocksTheStep) {
    ViewerState s = fresh();
    Frame(700, 300).apply(&s);
    Frame(1500, 900, {SPACE}).apply(&s);  // locks the step the last frame showed
    Frame(1600, 900).apply(&s);
    EXPECT_EQ(s.d, (1.0 / W) * (700 * 5));
    Frame(1500, 900, {SPACE}).apply(&s);
    EXPECT_EQ(s.d, (1.0 / W) * (1500 * 5));
}

TEST(ViewerStateTest, ZoomStopsWhereFloatsRunOutAndPanBacksOff) {
    ViewerState s = fresh();
    int notches = 0;
    while (!s.zoom_limited && notches++ < 200) Frame(1900, 540).wheel(1).apply(&s);  // near x = 2 pi
    ASSERT_TRUE(s.zoom_limited);
    EXPECT_TRUE(view_resolvable(s.view, W, H));
    ViewWindow deepest = s.view;
    Frame(1900, 540).wheel(3).apply(&s);
    EXPECT_EQ(std::memcmp(&deepest, &s.view, sizeof deepest), 0);
    // Nearer x = 0 the float grid is finer: the same zoom goes deeper there.
    ViewerState left = fresh();
    for (int i = 0; i < notches; i++) Frame(20, 540).wheel(1).apply(&left);
    EXPECT_FALSE(left.zoom_limited);
    // Dragged over to the coarse side, that view backs off until it resolves again.
    for (int i = 0; i < 500 && left.view.x1 < map_two_pi; i++) {
        Frame(W - 1, 540).apply(&left);
        Frame(W - 1, 540).right().apply(&left);
        Frame(0, 540).apply(&left);
    }
    EXPECT_EQ(left.view.x1, map_two_pi);
    EXPECT_TRUE(view_resolvable(left.view, W, H));
    EXPECT_TRUE(left.zoom_limited);
    Frame(0, 0, {HOME}).apply(&left);
    EXPECT_FALSE(left.zoom_limited);
    EXPECT_EQ(view_zoom(left.view), 1);
}

TEST(ViewerStateTest, DragStartsWhereTheLastFrameSawThePointer) {
    ViewerState s = fresh();
    Frame(960, 540).wheel(8).apply(&s);
    ViewWindow before = s.view;
    Frame(1060, 490).right().apply(&s);  // pressed and moved between two frames
    Frame(1160, 440).apply(&s);          // moved on and released
    EXPECT_FALSE(s.dragging);
    EXPECT_NEAR(s.view.x0, before.x0 - 200 * (before.x1 - before.x0) / W, 1e-12);
    EXPECT_NEAR(s.view.xp0, before.xp0 + 100 * (before.xp1 - before.xp0) / H, 1e-12);
}

TEST(ViewerStateTest, TogglesAndAMinimisedWindow) {
    ViewerState s = fresh();
    Frame(5, 5, {KEY_I}).apply(&s);  // the first press shows it, whatever it was
    EXPECT_TRUE(s.status_shown);
    Frame(5, 5, {KEY_I, KEY_H, F1, KEY_H, KEY_F}).apply(&s);
    EXPECT_FALSE(s.status_shown);
    EXPECT_TRUE(s.help_shown);
    EXPECT_TRUE(s.preview);
    ViewerState kept = s;
    Frame gone(900, 900, {UP, LEFT, SPACE, HOME, KEY_F});
    gone.in.minimised = true;
    gone.in.width = 0;
    gone.wheel(5).right().apply(&s);
    EXPECT_EQ(std::memcmp(&kept, &s, sizeof s), 0);
}

TEST(ViewerStateTest, EscapeAndQEndTheViewerOnceItShows) {
    const uint16_t KEY_Q = 0x51, ESCAPE = 0x1B;
    unsigned char keys[256] = {};
    EXPECT_FALSE(asked_to_end(Frame(0, 0, {KEY_I, SPACE, KEY_Q + 1}).input(), keys));
    EXPECT_TRUE(asked_to_end(Frame(0, 0, {KEY_I, KEY_Q | SHIFT}).input(), keys));  // tapped between two pumps
    EXPECT_TRUE(asked_to_end(Frame(0, 0, {ESCAPE}).input(), keys));
    // Typed at the minimised window: not the viewer's.
    for (uint16_t key : {KEY_Q, ESCAPE}) {
        Frame hidden(0, 0, {key});
        hidden.in.minimised = true;
        hidden.in.width = 0;
        EXPECT_FALSE(asked_to_end(hidden.input(), keys)) << key;
    }
    // Held at the pump.
    keys[KEY_Q] = 0x80;
    EXPECT_TRUE(asked_to_end(Frame(0, 0).input(), keys));
    keys[KEY_Q] = 0x01;  // toggled, not held
    keys[ESCAPE] = 0x81;
    EXPECT_TRUE(asked_to_end(Frame(0, 0).input(), keys));
    keys[ESCAPE] = 0;
    EXPECT_FALSE(asked_to_end(Frame(0, 0).input(), keys));
}

TEST(ViewerStateTest, PhysicsKeysAndOrbitClicks) {
    ViewerState s = fresh();
    Frame(700, 300, {KEY_S, KEY_G, KEY_P}).apply(&s);
    EXPECT_TRUE(s.separatrix_shown && s.plot_shown && s.save_requested && s.status_shown);
    // Unlocked, a click tracks nothing and says how to: Space first.
    ViewerState clicked = fresh();
    Frame(700, 300).click(10).apply(&clicked);
    EXPECT_FALSE(clicked.status_shown || clicked.orbit_count);
    EXPECT_NE(std::string(clicked.notice).find("Space"), std::string::npos);
    Frame(700, 300).click(10).apply(&s);
    EXPECT_EQ(s.orbit_count, 0);
    Frame(700, 300, {SPACE}).at(11.9).apply(&s);
    Frame(700, 300).wheel(6).click(12).apply(&s);  // zoomed in about the pointer, then clicked
    ASSERT_EQ(s.orbit_count, 1);
    // The start is the clicked pixel's own as the program takes it: same passes.
    const OrbitStart& o = s.orbits[0];
    float ts = (float)view_s(view_x_at(s.view, 700.5, W)), tt = (float)view_t(view_xp_at(s.view, 300.5, H));
    EXPECT_EQ(track_start(o.x, o.xp, o.d, o.phase, o.maxit, nullptr, 0), map_passes(ts, tt, o.d, o.phase, o.maxit));
    EXPECT_EQ(o.d, (float)((1.0 / W) * (700 * 5)));
    // The kept orbit follows the map shown: the overlay tracks it anew.
    Frame(300, 300, {UP, RIGHT, SPACE}).apply(&s);
    EXPECT_EQ(std::vector<float>({o.d, o.phase, o.maxit}),
              std::vector<float>({(float)((1.0 / W) * (300 * 5)), s.phase, state_maxit(s)}));
    Frame(300, 300, {SPACE}).apply(&s);
    // Sixteen kept, the oldest dropped, no two alike in colour; C clears them.
    for (int i = 1; i <= viewer_max_orbits; i++) Frame(100 + 10 * i, 300).click(13).apply(&s);
    ASSERT_EQ(s.orbit_count, viewer_max_orbits);
    EXPECT_EQ(s.orbits[0].serial, 1);
    for (int i = 0; i < viewer_max_orbits; i++)
        for (int k = 0; k < i; k++) EXPECT_NE(orbit_colour(s.orbits[i].serial), orbit_colour(s.orbits[k].serial));
    Frame(0, 0, {KEY_C, KEY_S, KEY_G}).apply(&s);
    EXPECT_FALSE(s.orbit_count || s.separatrix_shown || s.plot_shown);
    // Flipped (V), the pointer's row is mirrored: a click tracks the pixel the picture shows there,
    // and the status line's point under the pointer is that pixel with its own count.
    Frame(0, 0, {KEY_V, KEY_A}).apply(&s);
    EXPECT_TRUE(s.flipped && s.axes_shown);
    EXPECT_EQ(state_shown_view(s).xp0, s.view.xp1);
    Frame(700, 100).click(14).apply(&s);
    ASSERT_EQ(s.orbit_count, 1);
    float fs = (float)view_s(view_x_at(s.view, 700.5, W)), ft = (float)view_t(view_xp_at(s.view, H - 100 - 0.5, H));
    int passes = map_passes(fs, ft, s.orbits[0].d, s.phase, s.orbits[0].maxit);
    EXPECT_EQ(track_start(s.orbits[0].x, s.orbits[0].xp, s.orbits[0].d, s.phase, s.orbits[0].maxit, nullptr, 0), passes);
    char probe[96];
    pointer_probe_text(s, W, H, probe, sizeof probe);
    std::string count = passes > s.orbits[0].maxit ? "survives all 100 cells" : "after " + std::to_string(passes) + " cells";
    EXPECT_NE(std::string(probe).find(count), std::string::npos) << probe;
}

TEST(ViewerStateTest, SecondHarmonicKeysAndItsStatus) {
    ViewerState s = fresh();
    char text[512];
    status_text(s, 1, text, sizeof text);
    EXPECT_EQ(std::string(text).find("harmonic"), std::string::npos);  // off: not a word of it
    Frame(0, 0, {KEY_R, KEY_R, KEY_R, KEY_N, KEY_J, KEY_J | SHIFT, KEY_J | SHIFT}).apply(&s);
    EXPECT_NEAR(s.harmonic.ratio, 0.15, 1e-12);
    EXPECT_EQ(s.harmonic.number, 3);
    EXPECT_EQ(s.harmonic.phase_degrees, -10);
    EXPECT_TRUE(s.harmonic_changed && s.status_shown);
    status_text(s, 1, text, sizeof text);
    EXPECT_NE(std::string(text).find("harmonic 3 ratio 0.15 phase -10 deg"), std::string::npos) << text;
    for (int i = 0; i < 6; i++) Frame(0, 0, {KEY_N}).apply(&s);
    EXPECT_EQ(s.harmonic.number, 2);  // 8 goes round to 2
    for (int i = 0; i < 5; i++) Frame(0, 0, {KEY_R | SHIFT}).apply(&s);
    EXPECT_EQ(s.harmonic.ratio, 0.0);  // exactly: the single-RF program again
    for (int i = 0; i < 50; i++) Frame(0, 0, {KEY_R}).apply(&s);
    EXPECT_EQ(s.harmonic.ratio, harmonic_max_ratio);
    // A flat bottom has no tune to state.
    BucketFigures f = harmonic_bucket_figures({0.5, 2, 0}, 0.25, map_phase_radians(-90), 18.3, 2.1);
    ASSERT_TRUE(f.exists && f.flat_bottom);
    status_bucket_text(f, nullptr, text, sizeof text);
    EXPECT_NE(std::string(text).find("flat bottom"), std::string::npos) << text;
    EXPECT_EQ(std::string(text).find("tune"), std::string::npos) << text;
}

TEST(StatusTest, TextNamesEverythingAndWarns) {
    ViewerState s = fresh(20000000);
    Frame(96, 0).apply(&s);
    Frame(96, 0, {SPACE}).apply(&s);
    s.zoom_limited = true;
    char text[512];
    status_text(s, 0.42f, text, sizeof text);
    std::string t = text;
    for (const char* part : {"d 0.25 locked", "phase -30 deg", "cells 20000000", "x 0 .. 6.28319", "xp -3 .. 3",
                             "zoom 1x", "zoom limit", "frames will be slow", "16777215", "drawing 42%"})
        EXPECT_NE(t.find(part), std::string::npos) << part << " not in " << t;
    char tiny[20];
    status_text(s, 0.5f, tiny, sizeof tiny);  // cut short, never overrun
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);
}

}  // namespace
