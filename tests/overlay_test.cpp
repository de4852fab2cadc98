// The viewer's overlay: the tune formula against a tracked particle, and the
// four texts where they belong, drawn with the real embedded font.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

static const double PI = 3.14159265358979323846;

#include "app/model/map_space.h"
#include "app/overlays/overlay.h"
#include "app/model/physics.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"
#include "tests/support/map_reference.h"
#include "tests/support/test_window.h"

namespace {

TEST(SynchrotronTune, MatchesATrackedParticle) {
    // Positive phases too: the map there is the mirror image of the negative one's.
    for (double phase_degrees : {-30.0, -60.0, -80.0, 30.0, 60.0}) {
        double phase = map_radians(phase_degrees);
        for (double d : {0.1, 0.5, 1.0}) {
            double expected = map_tracked_tune(d, phase);
            EXPECT_NEAR(synchrotron_tune(d, phase), expected, 0.05)
                << "phase " << phase_degrees << " d " << d;
        }
    }
}

TEST(SynchrotronTune, KnownValuesAndLimits) {
    EXPECT_EQ(synchrotron_tune(0, -0.5235987755982988), 0.0);  // before the mouse moves
    // A synchronous phase of 0 (phase -90 degrees) gives acos(1 - d^2 / 2).
    EXPECT_NEAR(synchrotron_tune(1, -PI / 2), acos(0.5) * 57.29577951308232, 1e-9);
    EXPECT_NEAR(synchrotron_tune(1, -PI / 2), 60.0, 1e-9);
    // Past the stability limit d^2 cos(sp) > 4 there is no tune.
    EXPECT_TRUE(std::isnan(synchrotron_tune(3, -PI / 2)));
    EXPECT_TRUE(std::isnan(synchrotron_tune(2.9, -0.5235987755982988)));
    EXPECT_FALSE(std::isnan(synchrotron_tune(2.7, -0.5235987755982988)));
    // Phase 0 has no bucket at any step: the tune is 0, not the rounding of cos(pi/2).
    EXPECT_EQ(synchrotron_tune(1, 0), 0.0);
    char text[64];
    snprintf(text, sizeof text, "%lg", synchrotron_tune(0, -0.5));
    EXPECT_STREQ(text, "0");
}

// Whether any pixel of the window rectangle is (near) white.
bool has_white(int x, int y, int w, int h) {
    std::vector<uint8_t> p = test_read_pixels(x, y, w, h);
    for (size_t i = 0; i + 2 < p.size(); i += 3)
        if (p[i] > 240 && p[i + 1] > 240 && p[i + 2] > 240) return true;
    return false;
}

TEST(Overlay, FourTextsWhereTheyBelong) {
    test_window_open(640, 480);
    if (!current_font) overlay_load_font();
    ASSERT_NE(current_font, nullptr);
    EXPECT_EQ(font_line_height, 13);
    Overlay o;
    overlay_start(&o);
    glClearColor(0, 0, 0.5f, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    overlay_draw(&o, 1.0, -0.5235987755982988f, "fragment words", "link words");
    const int h = 13, w2 = 320;
    EXPECT_TRUE(has_white(0, 0, 100, h));        // fragment log at (0, 0)
    EXPECT_TRUE(has_white(w2, 0, 100, h));       // link log at (w2, 0)
    EXPECT_TRUE(has_white(0, 2 * h, 200, h));    // tune at (0, 2h)
    EXPECT_TRUE(has_white(w2, 2 * h, 40, h));    // frame rate at (w2, 2h)
    EXPECT_FALSE(has_white(0, h, 640, h));       // nothing on the line between
    EXPECT_FALSE(has_white(0, 3 * h + 2, 640, 480 - 3 * h - 2));
    EXPECT_FALSE(has_white(300, 0, w2 - 300, 3 * h));  // the left texts end before the middle
    // The tune text is as wide as the measuring rule says.
    std::string tune = "Synchrotron tune per cell = " + std::string(o.text).substr(28);
    EXPECT_STREQ(o.text, tune.c_str());
    int width = text_width(o.text);
    EXPECT_TRUE(has_white(width - 8, 2 * h, 8, h));
    glClearColor(0, 0, 0, 0);
    graphics.clear_colour = CLEAR_COLOUR_UNSET;
}

TEST(Overlay, FrameRateLeavesOutItsOwnWork) {
    test_window_open(640, 480);
    if (!current_font) overlay_load_font();
    Overlay o;
    overlay_start(&o);
    double before = o.last_time;
    overlay_draw(&o, 0, 0, "", "");
    EXPECT_GT(o.last_time, before);
    EXPECT_EQ(std::string(o.text).find("Synchrotron tune per cell = 0 degrees"), 0u);  // d = 0
}

}  // namespace
