// The viewer's controls without a window: the state record driven through
// apply_input with the frames a user's keys, wheel and pointer would give,
// and the view window arithmetic underneath.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/map_space.h"
#include "app/status.h"
#include "app/viewer_state.h"

namespace {

const int W = 1920, H = 1080;
const uint16_t SHIFT = 0x100, LEFT = 0x25, UP = 0x26, RIGHT = 0x27, DOWN = 0x28, SPACE = 0x20, HOME = 0x24,
               KEY_I = 0x49, KEY_H = 0x48, F1 = 0x70, KEY_F = 0x46;

struct Frame {
    ViewerInput in = {W, H, 0, 0, 0, 0, nullptr, 0, false};
    std::vector<uint16_t> keys;
    Frame(int x, int y) { in.mouse_x = x, in.mouse_y = y; }
    Frame& press(std::initializer_list<uint16_t> k) { keys.insert(keys.end(), k); return *this; }
    Frame& wheel(int notches) { in.wheel = 120 * notches; return *this; }
    Frame& right() { in.buttons = 2; return *this; }
    Frame& minimised() { in.minimised = true; in.width = 0; return *this; }
    void apply(ViewerState* s) {
        in.presses = keys.data();
        in.press_count = (int)keys.size();
        apply_input(s, in);
    }
};

ViewerState fresh(int cells = 100) { return viewer_state_make(-30, (float)(-30 * 0.017453292519943295), cells); }

// The phase-space point under a window pixel centre.
void point_at(const ViewWindow& v, int px, int py, double* x, double* xp) {
    *x = view_x_at(v, px + 0.5, W);
    *xp = view_xp_at(v, py + 0.5, H);
}

TEST(ViewWindowTest, FullViewIsTheProgramsUnitSquare) {
    ViewWindow v = view_full();
    EXPECT_EQ(view_s(v.x0), 0.0);
    EXPECT_EQ(view_s(v.x1), 1.0);
    EXPECT_EQ(view_t(v.xp0), 0.0);
    EXPECT_EQ(view_t(v.xp1), 1.0);
    EXPECT_DOUBLE_EQ(view_x_at(v, W / 2.0, W), map_two_pi / 2);
    EXPECT_DOUBLE_EQ(view_xp_at(v, H, H), 3.0);
    EXPECT_TRUE(view_resolvable(v, W, H));
}

TEST(ViewWindowTest, ZoomOutAndPanStayInsideTheFullMap) {
    ViewWindow z = view_zoomed(view_full(), 4, 10, 10, W, H);  // near the top-left corner
    EXPECT_NEAR(view_zoom(z), 4, 1e-12);
    EXPECT_GE(z.x0, 0);
    EXPECT_GE(z.xp0, -3);
    ViewWindow p = view_panned(z, 100000, 100000, W, H);  // dragged far to the right and down
    EXPECT_DOUBLE_EQ(p.x0, 0);
    EXPECT_DOUBLE_EQ(p.xp0, -3);
    EXPECT_NEAR(p.x1 - p.x0, z.x1 - z.x0, 1e-12);
    ViewWindow out = view_zoomed(z, 1e-3, 1000, 900, W, H);
    EXPECT_DOUBLE_EQ(out.x0, 0);
    EXPECT_DOUBLE_EQ(out.x1, map_two_pi);
    EXPECT_DOUBLE_EQ(out.xp1, 3);
}

TEST(ViewWindowTest, FloatGridCoarsensWithTheCoordinate) {
    // The same narrow window resolves near x = 0 but not near x = 2 pi.
    double span = 2e-4;
    EXPECT_TRUE(view_resolvable({0.01, 0.01 + span, -0.1, 0.1}, W, H));
    EXPECT_FALSE(view_resolvable({6.0, 6.0 + span, -0.1, 0.1}, W, H));
    EXPECT_FALSE(view_resolvable({1, 2, 0.5, 0.5 + 1e-6}, W, H));
}

TEST(ViewerStateTest, PhaseKeysInDegreesAsTheFileHoldsThem) {
    ViewerState s = fresh();
    EXPECT_FALSE(s.status_shown);
    Frame(384, 300).press({RIGHT | SHIFT, RIGHT | SHIFT}).apply(&s);
    EXPECT_EQ(s.phase_degrees, -10);
    EXPECT_EQ(s.phase, (float)(-10 * 0.017453292519943295));
    EXPECT_TRUE(s.phase_changed);
    EXPECT_TRUE(s.status_shown);  // the first key brings it up
    Frame(384, 300).press({LEFT, LEFT, RIGHT}).apply(&s);
    EXPECT_EQ(s.phase_degrees, -11);
    EXPECT_FALSE(s.cells_changed);
}

TEST(ViewerStateTest, CellsDoubleAndHalveWithinOneAndTheCap) {
    ViewerState s = fresh();
    Frame(0, 0).press({UP}).apply(&s);
    EXPECT_EQ(s.cells, 200);
    EXPECT_TRUE(s.cells_changed);
    for (int i = 0; i < 20; i++) Frame(0, 0).press({UP}).apply(&s);
    EXPECT_EQ(s.cells, viewer_cells_cap);  // 102400 is not reached: capped, and stays
    Frame(0, 0).press({DOWN}).apply(&s);
    EXPECT_EQ(s.cells, 50000);
    for (int i = 0; i < 40; i++) Frame(0, 0).press({DOWN}).apply(&s);
    EXPECT_EQ(s.cells, 1);
    ViewerState none = fresh(0), negative = fresh(-5);
    Frame(0, 0).press({UP}).apply(&none);
    Frame(0, 0).press({DOWN}).apply(&negative);
    EXPECT_EQ(none.cells, 1);
    EXPECT_EQ(negative.cells, 1);
    // Past the cap from the file: honoured, Up leaves it, Down halves it.
    ViewerState big = fresh(300000);
    EXPECT_TRUE(big.status_shown);  // to warn before any key
    Frame(0, 0).press({UP}).apply(&big);
    EXPECT_EQ(big.cells, 300000);
    EXPECT_FALSE(big.cells_changed);
    Frame(0, 0).press({DOWN}).apply(&big);
    EXPECT_EQ(big.cells, 150000);
}

TEST(ViewerStateTest, ProgramLimitStopsWhereTheFloatCounterStillCounts) {
    EXPECT_EQ(state_maxit(fresh(100)), 100.0f);
    EXPECT_EQ(state_maxit(fresh(2000000000)), 16777215.0f);
    // The program's loop for a survivor, counted in float as the program does: it ends.
    for (int cells : {16777215, 16777216, 16777217, 2147483647}) {
        float maxit = state_maxit(fresh(cells));
        volatile float i = maxit - 2;
        int passes = 0;
        while (i <= maxit && passes < 10) i = i + 1.0f, passes++;
        EXPECT_GT(i, maxit) << cells;
    }
}

TEST(ViewerStateTest, PointerSetsDUnlessLocked) {
    ViewerState s = fresh();
    Frame(700, 300).apply(&s);
    EXPECT_EQ(s.d, (1.0 / W) * (700 * 5));
    EXPECT_FALSE(s.used);  // moving the pointer is not a control
    Frame(700, 300).press({SPACE}).apply(&s);
    Frame(1500, 900).apply(&s);
    EXPECT_EQ(s.d, (1.0 / W) * (700 * 5));
    Frame(1500, 900).press({SPACE}).apply(&s);
    EXPECT_EQ(s.d, (1.0 / W) * (1500 * 5));
}

TEST(ViewerStateTest, WheelZoomsAboutThePointerUntilFloatsRunOut) {
    ViewerState s = fresh();
    double x, xp, x2, xp2;
    point_at(s.view, 1500, 700, &x, &xp);
    Frame(1500, 700).wheel(2).apply(&s);
    EXPECT_NEAR(view_zoom(s.view), 1.5625, 1e-12);
    point_at(s.view, 1500, 700, &x2, &xp2);
    EXPECT_NEAR(x2, x, 1e-12);
    EXPECT_NEAR(xp2, xp, 1e-12);
    int notches = 0;
    while (!s.zoom_limited && notches < 200) Frame(1900, 540).wheel(1).apply(&s), notches++;
    ASSERT_TRUE(s.zoom_limited) << "never stopped";
    EXPECT_TRUE(view_resolvable(s.view, W, H));
    EXPECT_GT(view_zoom(s.view), 50);
    ViewWindow deepest = s.view;
    Frame(1900, 540).wheel(3).apply(&s);
    EXPECT_EQ(std::memcmp(&deepest, &s.view, sizeof deepest), 0);
    Frame(1900, 540).wheel(-1).apply(&s);
    EXPECT_FALSE(s.zoom_limited);
    Frame(1900, 540).press({HOME}).apply(&s);
    ViewWindow full = view_full();
    EXPECT_EQ(std::memcmp(&s.view, &full, sizeof full), 0);
    EXPECT_EQ(view_zoom(s.view), 1);
}

TEST(ViewerStateTest, RightDragPansByTheDraggedDistance) {
    ViewerState s = fresh();
    Frame(960, 540).wheel(8).apply(&s);
    ViewWindow before = s.view;
    double per_px = (before.x1 - before.x0) / W, per_row = (before.xp1 - before.xp0) / H;
    // Pressed and moved within one frame: the drag starts where the last frame saw the pointer.
    Frame(1060, 490).right().apply(&s);
    EXPECT_TRUE(s.dragging);
    Frame(1160, 440).right().apply(&s);
    Frame(1160, 440).apply(&s);  // released
    EXPECT_FALSE(s.dragging);
    EXPECT_NEAR(s.view.x0, before.x0 - 200 * per_px, 1e-9);
    EXPECT_NEAR(s.view.xp0, before.xp0 + 100 * per_row, 1e-9);
    ViewWindow after = s.view;
    Frame(100, 100).apply(&s);
    EXPECT_EQ(std::memcmp(&after, &s.view, sizeof after), 0);
}

TEST(ViewerStateTest, TogglesAndAMinimisedWindow) {
    ViewerState s = fresh();
    Frame(5, 5).press({KEY_I}).apply(&s);  // the first press shows it
    EXPECT_TRUE(s.status_shown);
    Frame(5, 5).press({KEY_I, KEY_H}).apply(&s);
    EXPECT_FALSE(s.status_shown);
    EXPECT_TRUE(s.help_shown);
    Frame(5, 5).press({F1, KEY_F}).apply(&s);
    EXPECT_FALSE(s.help_shown);
    EXPECT_TRUE(s.preview);
    ViewerState kept = s;
    Frame(900, 900).minimised().press({UP, LEFT, SPACE, HOME, KEY_F}).wheel(5).right().apply(&s);
    EXPECT_EQ(std::memcmp(&kept, &s, sizeof s), 0);
}

TEST(StatusTest, TextNamesEverythingAndWarns) {
    ViewerState s = fresh(20000000);
    s.d_locked = true;
    s.d = 0.25;
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
