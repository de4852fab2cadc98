// 2D primitives on a real 640 x 480 context: vertices captured from GL in
// feedback mode (counts, order, positions), culling edges, pixel-size queries,
// the colour index as GL holds it, and the state the frame helpers leave.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"
#include "tests/support/feedback.h"
#include "tests/support/gl_state.h"
#include "tests/support/test_window.h"

namespace {

const double pi = 3.14159265358979323846;  // M_PI is not standard C++

// In window coordinates, the whole window being the viewport.
std::vector<FeedbackPrim> capture_window(const std::function<void()>& draw) {
    glViewport(0, 0, graphics.width, graphics.height);
    begin_window_coords();
    std::vector<FeedbackPrim> prims = feedback_capture(draw);
    end_window_coords();
    return prims;
}

// In window coordinates for culling, but viewed through a projection that
// shows `margin` pixels beyond every edge, so that GL clips nothing culling keeps.
std::vector<FeedbackPrim> capture_wide(double margin, const std::function<void()>& draw) {
    glViewport(0, 0, graphics.width, graphics.height);
    begin_window_coords();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-margin, graphics.width + margin, graphics.height + margin, -margin, 240, -240);
    glMatrixMode(GL_MODELVIEW);
    std::vector<FeedbackPrim> prims = feedback_capture(draw);
    end_window_coords();
    return prims;
}

bool near(const FeedbackVertex& v, double x, double y, double tolerance = 0.01) {
    return fabs(v.x - x) <= tolerance && fabs(v.y_down - y) <= tolerance;
}

class Draw2d : public ::testing::Test {
protected:
    void SetUp() override {
        test_window_open(640, 480);
        ASSERT_EQ(graphics.width, 640);
        ASSERT_EQ(graphics.height, 480);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        cull_offscreen = 1;
    }
    void TearDown() override {
        expect_gl_at_rest();
        cull_offscreen = 1;
    }
};

// Frame and state.

TEST_F(Draw2d, WindowCoordsAreOnePixelPerUnitAndProjectionIsIdentity) {
    glViewport(0, 0, 640, 480);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);  // something far from window pixels
    glMatrixMode(GL_MODELVIEW);
    glTranslated(3, 4, 5);
    begin_window_coords();
    EXPECT_NEAR(units_per_pixel(), 1.0, 1e-6);  // GL keeps matrices in floats
    EXPECT_NEAR(units_per_pixel_x(), 1.0, 1e-6);
    const double points[][3] = {{0, 0, 0}, {640, 480, 0}, {17.25, 300.5, 200}, {-40, 900, -239}};
    for (const auto& p : points) {
        double x = -1, y = -1;
        project_to_window(p[0], p[1], p[2], &x, &y);
        EXPECT_NEAR(x, p[0], 1e-4);
        EXPECT_NEAR(y, p[1], 1e-4);
    }
    end_window_coords();
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12], 3.0);  // the caller's modelview is back
    glMatrixMode(GL_PROJECTION);
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[10], -11.0 / 9.0, 1e-6);  // and the caller's frustum
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(Draw2d, UnitsPerPixelFollowsZoomAndSmallerViewport) {
    glViewport(0, 0, 640, 480);
    begin_window_coords();
    glScaled(4, 4, 1);  // four pixels per unit
    EXPECT_NEAR(units_per_pixel(), 0.25, 1e-7);
    EXPECT_NEAR(units_per_pixel_x(), 1.0, 1e-6);  // ignores the modelview
    double x, y;
    project_to_window(10, 20, 0, &x, &y);
    EXPECT_NEAR(x, 40, 1e-4);
    EXPECT_NEAR(y, 80, 1e-4);
    end_window_coords();
    // A viewport in the lower-right quarter still maps window pixels from the
    // top edge; project_to_window measures y down from the viewport's top.
    glViewport(320, 0, 320, 240);
    begin_window_coords();
    EXPECT_NEAR(units_per_pixel(), 1.0, 1e-6);  // GL keeps matrices in floats
    project_to_window(400, 300, 0, &x, &y);
    EXPECT_NEAR(x, 400, 1e-4);
    EXPECT_NEAR(y, 60, 1e-4);
    end_window_coords();
    glViewport(0, 0, 640, 480);
}

TEST_F(Draw2d, SingularMatrixGivesInfiniteUnitsAndOneSegment) {
    const double p[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const double flat[16] = {1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // y folds onto x
    const int vp[4] = {0, 0, 640, 480};
    double upp = units_per_pixel_of(p, flat, vp);
    EXPECT_TRUE(std::isinf(upp));
    EXPECT_EQ(circle_segment_count(5 / upp), 1);
}

TEST_F(Draw2d, EndWindowCoordsEnablesDepthTestAlways) {
    glDisable(GL_DEPTH_TEST);
    begin_window_coords();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    end_window_coords();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    begin_window_coords();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    end_window_coords();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

// (0, 0) is the top-left pixel's outer corner; its centre is (0.5, 0.5).
TEST_F(Draw2d, PixelCentresMapToTheirPixels) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(0, 0, 640, 480);
    begin_window_coords();
    draw_point(0.5, 0.5, 0xFFFFFF);
    draw_point(639.5, 479.5, 0xFF0000);
    fill_box(100, 50, 20, 10, 0x00FF00);
    end_window_coords();
    EXPECT_EQ(test_pixel(0, 0), 0xFFFFFFu);
    EXPECT_EQ(test_pixel(1, 0), 0u);
    EXPECT_EQ(test_pixel(0, 1), 0u);
    EXPECT_EQ(test_pixel(639, 479), 0xFF0000u);
    EXPECT_EQ(test_pixel(100, 50), 0x00FF00u);
    EXPECT_EQ(test_pixel(119, 59), 0x00FF00u);
    EXPECT_EQ(test_pixel(120, 59), 0u);
    EXPECT_EQ(test_pixel(119, 60), 0u);
    EXPECT_EQ(test_pixel(99, 50), 0u);
}

TEST_F(Draw2d, ColourIndexSetsTheSchemeColour) {
    struct Case {
        int index;
        float r, g, b;
    } cases[] = {{7, 0.5f, 0.5f, 0.5f}, {8, 0.25f, 0.25f, 0.25f}, {12, 1, 0, 0}, {1, 0, 0, 0.5f},
                 {39, 1, 1, 1},         {40, 0, 0, 0},            {41, 0.2f, 0, 0}, {46, 0, 0.2f, 0},
                 {76, 0, 0, 0.2f},      {255, 1, 1, 1},           {-1, 0.5f, 0.5f, 0.5f}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        glColor3f(0.3f, 0.6f, 0.9f);
        set_colour_index(c.index);
        float got[4];
        glGetFloatv(GL_CURRENT_COLOR, got);
        EXPECT_NEAR(got[0], c.r, 1e-6) << c.index;
        EXPECT_NEAR(got[1], c.g, 1e-6) << c.index;
        EXPECT_NEAR(got[2], c.b, 1e-6) << c.index;
    }
    // Above 255 blue passes 1 (GL clamps only when it draws); the grey ramp midway.
    set_colour_index(16 + 23 * 0 + 11);
    float grey[4];
    glGetFloatv(GL_CURRENT_COLOR, grey);
    EXPECT_NEAR(grey[0], 11 / 23.0, 1e-6);
}

// Points, lines and boxes.

TEST_F(Draw2d, LinesAndBoxesEmitTheirVerticesInOrder) {
    auto prims = capture_window([] {
        draw_line(10, 20, 30, 40, 0xFF0000);
        draw_box(100, 100, 50, 20, 0x00FF00);
        draw_box_corners(200, 100, 150, 160, 0x0000FF);
        glBegin(GL_LINES);
        line_vertices(1, 2, 3, 4, 0xFFFFFF);
        line_vertices(5, 6, 7, 8, 0xFFFFFF);
        glEnd();
    });
    ASSERT_EQ(prims.size(), 1u + 4u + 4u + 2u);
    EXPECT_TRUE(near(prims[0].v[0], 10, 20) && near(prims[0].v[1], 30, 40));
    EXPECT_EQ(prims[0].v[0].colour[0], 1.0f);
    EXPECT_EQ(prims[0].v[0].colour[1], 0.0f);
    const double box[4][2] = {{100, 100}, {150, 100}, {150, 120}, {100, 120}};
    const double corners[4][2] = {{200, 100}, {150, 100}, {150, 160}, {200, 160}};
    for (int k = 0; k < 4; k++) {
        EXPECT_TRUE(near(prims[1 + k].v[0], box[k][0], box[k][1])) << k;
        EXPECT_TRUE(near(prims[1 + k].v[1], box[(k + 1) % 4][0], box[(k + 1) % 4][1])) << k;
        EXPECT_TRUE(near(prims[5 + k].v[0], corners[k][0], corners[k][1])) << k;
        EXPECT_EQ(prims[1 + k].v[0].colour[1], 1.0f);
    }
    EXPECT_TRUE(near(prims[9].v[0], 1, 2) && near(prims[9].v[1], 3, 4));
    EXPECT_TRUE(near(prims[10].v[0], 5, 6) && near(prims[10].v[1], 7, 8));
}

TEST_F(Draw2d, InPrimitiveVariantsShareOneBegin) {
    auto prims = capture_window([] {
        glBegin(GL_POINTS);
        for (int k = 0; k < 5; k++) point_vertex(10 + k, 10, 0x808080);
        glEnd();
        glBegin(GL_QUADS);
        box_vertices(300, 200, 10, 10, 0xFF0000);
        box_vertices(400, 200, 10, 10, 0x0000FF);
        glEnd();
    });
    int points = 0;
    double area = 0;
    for (const FeedbackPrim& p : prims) {
        if (p.token == GL_POINT_TOKEN) points++;
        if (p.token != GL_POLYGON_TOKEN) continue;
        for (size_t k = 0; k < p.v.size(); k++) {  // polygons may come split into triangles
            const FeedbackVertex &a = p.v[k], &b = p.v[(k + 1) % p.v.size()];
            area += (a.x * b.y_down - b.x * a.y_down) / 2;
        }
    }
    EXPECT_EQ(points, 5);
    EXPECT_NEAR(fabs(area), 200.0, 1e-6);
}

TEST_F(Draw2d, DrawLineKeepsLightingAsItWas) {
    glViewport(0, 0, 640, 480);
    begin_window_coords();
    glDisable(GL_LIGHTING);
    draw_line(0, 0, 10, 10, 0xFFFFFF);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    glEnable(GL_LIGHTING);
    draw_line(0, 0, 10, 10, 0xFFFFFF);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    // Drawn unlit: the white segment shows white, not the lit material grey.
    glClear(GL_COLOR_BUFFER_BIT);
    draw_line(20, 30.5, 60, 30.5, 0xFFFFFF);
    EXPECT_EQ(test_pixel(40, 30), 0xFFFFFFu);
    glDisable(GL_LIGHTING);
    end_window_coords();
}

// Circles: segment counts, positions, culling.

TEST_F(Draw2d, SegmentCountsFollowRadiusInPixels) {
    EXPECT_EQ(circle_segment_count(1), 5);
    EXPECT_EQ(circle_segment_count(100), 50);
    EXPECT_EQ(circle_segment_count(0), 1);
    EXPECT_EQ(circle_segment_count(-4), 1);
    EXPECT_EQ(circle_segment_count(NAN), 1);
    EXPECT_EQ(circle_segment_count(1e300), 1);  // beyond int: like a failed conversion
    EXPECT_EQ(arc_segment_count(100, -1), 1);
    EXPECT_EQ(arc_segment_count(100, 2 * pi), 50);
    EXPECT_EQ(arc_segment_count(25, 1), 4);
}

TEST_F(Draw2d, FilledCircleIsAFanOfRimPointsStartingDown) {
    for (double r : {1.0, 100.0}) {
        auto prims = capture_window([r] { fill_circle(320, 240, r, 0x00FF00); });
        int n = r == 1.0 ? 5 : 50;
        ASSERT_EQ((int)prims.size(), n) << r;
        double step = 2 * pi / n;
        for (int k = 0; k < n; k++) {
            ASSERT_EQ(prims[k].v.size(), 3u);
            // Each triangle holds the centre and rim points k and k + 1.
            int centre = 0, rim_k = 0, rim_next = 0;
            for (const FeedbackVertex& v : prims[k].v) {
                centre += near(v, 320, 240, 1e-3);
                rim_k += near(v, 320 + r * sin(k * step), 240 + r * cos(k * step), 1e-3);
                rim_next += near(v, 320 + r * sin((k + 1) * step), 240 + r * cos((k + 1) * step), 1e-3);
            }
            EXPECT_EQ(centre + rim_k + rim_next, 3) << "r " << r << " triangle " << k;
        }
    }
}

TEST_F(Draw2d, ZeroRadiusFanHasCentreAndTwoRimPoints) {
    auto prims = capture_window([] { fill_circle(50, 60, 0, 0xFFFFFF); });
    ASSERT_EQ(prims.size(), 1u);
    ASSERT_EQ(prims[0].v.size(), 3u);
    for (const FeedbackVertex& v : prims[0].v) EXPECT_TRUE(near(v, 50, 60));
}

TEST_F(Draw2d, OutlineCircleAndArcPositions) {
    auto circle = capture_window([] { draw_circle(320, 240, 1, 0xFFFFFF); });
    ASSERT_EQ(circle.size(), 5u);  // a loop of 5 points: 5 segments
    double step = 2 * pi / 5;
    for (int k = 0; k < 5; k++) {
        EXPECT_TRUE(near(circle[k].v[0], 320 + sin(k * step), 240 + cos(k * step), 1e-3)) << k;
        EXPECT_TRUE(near(circle[k].v[1], 320 + sin((k + 1) % 5 * step), 240 + cos((k + 1) % 5 * step), 1e-3));
    }
    // A quarter arc of radius 100: trunc(10 * pi/2 * 0.8) = 12 segments from a0.
    auto arc = capture_window([] { draw_arc(320, 240, 100, 0.5, 0.5 + pi / 2, 0xFFFFFF); });
    ASSERT_EQ(arc.size(), 12u);
    EXPECT_TRUE(near(arc[0].v[0], 320 + 100 * sin(0.5), 240 + 100 * cos(0.5), 1e-3));
    EXPECT_TRUE(near(arc[11].v[1], 320 + 100 * sin(0.5 + pi / 2), 240 + 100 * cos(0.5 + pi / 2), 1e-3));
}

TEST_F(Draw2d, BackwardArcIsOneSegmentFromA0ToA1) {
    auto arc = capture_window([] { draw_arc(320, 240, 100, 2.0, 1.0, 0xFFFFFF); });
    ASSERT_EQ(arc.size(), 1u);
    EXPECT_TRUE(near(arc[0].v[0], 320 + 100 * sin(2.0), 240 + 100 * cos(2.0), 1e-3));
    EXPECT_TRUE(near(arc[0].v[1], 320 + 100 * sin(1.0), 240 + 100 * cos(1.0), 1e-3));
}

TEST_F(Draw2d, SectorIsAFanOrAQuadStripStartingUp) {
    auto fan = capture_window([] { fill_sector(320, 240, 0, 100, 0, pi / 2, 0xFF0000, 0x180); });
    // trunc(10 * pi/2 * 0.8) = 12 segments: 12 triangles around the centre.
    ASSERT_EQ(fan.size(), 12u);
    int centre = 0, top = 0, right = 0;
    for (const FeedbackPrim& p : fan)
        for (const FeedbackVertex& v : p.v) {
            centre += near(v, 320, 240, 1e-3);
            top += near(v, 320, 140, 1e-3);    // angle 0: straight up
            right += near(v, 420, 240, 1e-3);  // a quarter turn on: clockwise, to the right
        }
    EXPECT_EQ(centre, 12);
    EXPECT_EQ(top, 1);
    EXPECT_EQ(right, 1);
    EXPECT_NEAR(fan[0].v[0].colour[3], 0x80 / 255.0, 1e-6);  // alpha from the low byte

    auto strip = capture_window([] { fill_sector(320, 240, 0.001, 100, 0, pi / 2, 0xFF0000, 255); });
    ASSERT_FALSE(strip.empty());
    int inner = 0, outer = 0, others = 0;
    for (const FeedbackPrim& p : strip)
        for (const FeedbackVertex& v : p.v) {
            double d = hypot(v.x - 320, v.y_down - 240);
            if (fabs(d - 0.001) < 1e-3) inner++;
            else if (fabs(d - 100) < 1e-3) outer++;
            else others++;
        }
    EXPECT_EQ(centre - 12, 0);
    EXPECT_GT(inner, 0);
    EXPECT_GT(outer, 0);
    EXPECT_EQ(others, 0);
    double area = 0;
    for (const FeedbackPrim& p : strip)
        for (size_t k = 0; k < p.v.size(); k++) {
            const FeedbackVertex &a = p.v[k], &b = p.v[(k + 1) % p.v.size()];
            area += (a.x * b.y_down - b.x * a.y_down) / 2;
        }
    // 12 quads spanning a quarter disc: the area of the inscribed polygon.
    EXPECT_NEAR(fabs(area), 12 * 0.5 * 100 * 100 * sin(pi / 24), 0.05);
}

TEST_F(Draw2d, CullingKeepsShapesThatTouchTheWindow) {
    auto count = [](double x, double y, double r, void (*draw)(double, double, double, int)) {
        return capture_wide(640, [&] { draw(x, y, r, 0xFFFFFF); }).size();
    };
    EXPECT_GT(count(-10, 50, 10, fill_circle), 0u);  // x + r = 0 touches the left edge
    EXPECT_EQ(count(-10, 50, 9.9, fill_circle), 0u);
    EXPECT_GT(count(650, 50, 10, draw_circle), 0u);  // x - r = W touches the right edge
    EXPECT_EQ(count(650.1, 50, 10, draw_circle), 0u);
    EXPECT_GT(count(300, 490, 10, fill_circle), 0u);
    EXPECT_EQ(count(300, 490.5, 10, fill_circle), 0u);
    EXPECT_EQ(count(300, -10.5, 10, fill_circle), 0u);
    cull_offscreen = 0;
    EXPECT_GT(count(-10, 50, 9.9, fill_circle), 0u);
}

TEST_F(Draw2d, HugeOutlinesAreCulledUnlessTheyCrossTheWindow) {
    EXPECT_EQ(capture_window([] { draw_circle(320, 240, 10000, 0xFFFFFF); }).size(), 0u);
    EXPECT_EQ(capture_window([] { draw_arc(320, 240, 10000, 0, 1, 0xFFFFFF); }).size(), 0u);
    EXPECT_GT(capture_window([] { fill_circle(320, 240, 10000, 0xFFFFFF); }).size(), 0u);
    // A rim passing through the window centre crosses the window: drawn.
    EXPECT_GT(capture_window([] { draw_circle(320, 240 + 10000, 10000, 0xFFFFFF); }).size(), 0u);
    // Annulus test edges: |d2 - r2 - R2| <= 2rR, R = 560.
    EXPECT_FALSE(circle_misses_window(320, 240 + 9440, 10000, 640, 480));  // encloses up to R exactly
    EXPECT_TRUE(circle_misses_window(320, 240 + 9439, 10000, 640, 480));   // encloses the whole disc
    EXPECT_FALSE(circle_misses_window(320, 240 + 10200, 10000, 640, 480));  // rim inside the window
    // The bounding square overlaps the window, but the rim passes far beyond the corner.
    EXPECT_FALSE(circle_off_window(320 + 10200, 240 + 10200, 10000, 640, 480));
    EXPECT_TRUE(circle_misses_window(320 + 10200, 240 + 10200, 10000, 640, 480));
    EXPECT_FALSE(circle_misses_window(320, 240, 500, 640, 480));  // r <= R: no annulus test
    cull_offscreen = 0;
    // Zoomed out to 20640 x 20480 units on 640 x 480 pixels: r = 10000 is 269.6 pixels, 82 segments.
    EXPECT_EQ(capture_wide(10000, [] { draw_circle(320, 240, 10000, 0xFFFFFF); }).size(), 82u);
}

}  // namespace
