// 2D primitives in window pixels over the fixed-function pipeline. Curves
// size their segment count from their radius on screen; everything leaves
// the matrix stacks as it found them except the begin/end window-coords pair.
#include "framework/draw/draw2d.h"

#include <cmath>

#include "framework/draw/palette.h"
#include "framework/platform/gl.h"
#include "framework/window/graphics.h"

int cull_offscreen = 1;

static const double two_pi = 6.283185307179586;

static void set_colour(int colour) {
    glColor3ub((GLubyte)(colour >> 16 & 255), (GLubyte)(colour >> 8 & 255), (GLubyte)(colour & 255));
}

void begin_window_coords() {
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    int h = graphics.height;
    int near_z = h / 2, far_z = -h / 2;
    // A window under 2 pixels tall would give near == far, which glOrtho
    // rejects and would leave the identity in place.
    if (near_z == far_z) near_z = 1, far_z = -1;
    glOrtho(vp[0], (double)vp[0] + vp[2], (double)h - vp[1], (double)h - vp[1] - vp[3], near_z, far_z);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
}

void end_window_coords() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

void enable_smooth_lines() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA_SATURATE, GL_ONE);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_POINT_SMOOTH);
}

void set_colour_index(int index) {
    float r, g, b;
    colour_index_rgb(index, &r, &g, &b);
    glColor3f(r, g, b);
}

static void read_matrices(double* projection, double* modelview, int* viewport) {
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    for (int i = 0; i < 4; i++) viewport[i] = vp[i];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
}

double units_per_pixel_of(const double* p, const double* m, const int* viewport) {
    double q[16];  // q = p * m, column-major: q[col * 4 + row]
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            double sum = 0;
            for (int k = 0; k < 4; k++) sum += p[k * 4 + row] * m[col * 4 + k];
            q[col * 4 + row] = sum;
        }
    for (int row = 0; row < 4; row++) {
        q[row] *= viewport[2] * 0.5;
        q[4 + row] *= viewport[3] * 0.5;
    }
    // Area in pixels of one square unit; its root is the side of one pixel.
    return 1 / sqrt(fabs(q[5] * q[0] - q[4] * q[1]));
}

double units_per_pixel() {
    double p[16], m[16];
    int vp[4];
    read_matrices(p, m, vp);
    return units_per_pixel_of(p, m, vp);
}

double units_per_pixel_x() {
    double p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    return 2 / (graphics.width * p[0]);
}

void project_point(const double* p, const double* m, const int* viewport, double x, double y, double z,
                   double* out_x, double* out_y) {
    double e[4];
    for (int row = 0; row < 4; row++) e[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    // No perspective division: exact for affine projections only.
    double cx = p[0] * e[0] + p[4] * e[1] + p[8] * e[2] + p[12] * e[3];
    double cy = p[1] * e[0] + p[5] * e[1] + p[9] * e[2] + p[13] * e[3];
    *out_x = viewport[0] + (cx * 0.5 + 0.5) * viewport[2];
    *out_y = viewport[1] + (-cy * 0.5 + 0.5) * viewport[3];
}

void project_to_window(double x, double y, double z, double* out_x, double* out_y) {
    double p[16], m[16];
    int vp[4];
    read_matrices(p, m, vp);
    project_point(p, m, vp, x, y, z, out_x, out_y);
}

// trunc to int, with 0, negatives, NaN and values beyond int all giving 1.
static int segments_from(double n) {
    if (!(n >= 1) || n >= 2147483648.0) return 1;
    return (int)n;
}

int circle_segment_count(double radius_pixels) { return segments_from(5 * sqrt(radius_pixels)); }

int arc_segment_count(double radius_pixels, double span) {
    return segments_from(sqrt(radius_pixels) * span * 0.8);  // 5 / 2pi: a full turn matches a circle
}

bool circle_off_window(double x, double y, double r, int width, int height) {
    return x - r > width || x + r < 0 || y - r > height || y + r < 0;
}

bool circle_misses_window(double x, double y, double r, int width, int height) {
    if (circle_off_window(x, y, r, width, height)) return true;
    double big_r = (width + (double)height) * 0.5;  // disc about the centre holding the whole window
    if (!(r > big_r)) return false;
    double dx = width / 2 - x, dy = height / 2 - y;
    double d2 = dx * dx + dy * dy;
    return !(fabs(d2 - r * r - big_r * big_r) <= 2 * r * big_r);
}

static bool culled(double x, double y, double r) {
    return cull_offscreen && circle_off_window(x, y, r, graphics.width, graphics.height);
}

static bool outline_culled(double x, double y, double r) {
    return cull_offscreen && circle_misses_window(x, y, r, graphics.width, graphics.height);
}

void point_vertex(double x, double y, int colour) {
    set_colour(colour);
    glVertex2d(x, y);
}

void draw_point(double x, double y, int colour) {
    glBegin(GL_POINTS);
    point_vertex(x, y, colour);
    glEnd();
}

void line_vertices(double x1, double y1, double x2, double y2, int colour) {
    set_colour(colour);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
}

void draw_line(double x1, double y1, double x2, double y2, int colour) {
    GLboolean lit = glIsEnabled(GL_LIGHTING);
    if (lit) glDisable(GL_LIGHTING);
    glBegin(GL_LINES);
    line_vertices(x1, y1, x2, y2, colour);
    glEnd();
    if (lit) glEnable(GL_LIGHTING);
}

void box_vertices(double x, double y, double w, double h, int colour) {
    set_colour(colour);
    glVertex2d(x, y);
    glVertex2d(x + w, y);
    glVertex2d(x + w, y + h);
    glVertex2d(x, y + h);
}

void fill_box(double x, double y, double w, double h, int colour) {
    glBegin(GL_QUADS);
    box_vertices(x, y, w, h, colour);
    glEnd();
}

void shade_box(double x, double y, double w, double h, int colour) {
    begin_window_coords();
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);  // destination times the box's colour
    fill_box(x, y, w, h, colour);
    glPopAttrib();
    end_window_coords();
}

void draw_box(double x, double y, double w, double h, int colour) {
    glBegin(GL_LINE_LOOP);
    box_vertices(x, y, w, h, colour);
    glEnd();
}

void draw_box_corners(double x1, double y1, double x2, double y2, int colour) {
    glBegin(GL_LINE_LOOP);
    set_colour(colour);
    glVertex2d(x1, y1);
    glVertex2d(x2, y1);
    glVertex2d(x2, y2);
    glVertex2d(x1, y2);
    glEnd();
}

// Rim points of the circles start straight down (y grows downwards) and turn
// anticlockwise on screen; the angle is accumulated, not multiplied.
static void rim_points(double x, double y, double r, double a, double step, int count) {
    for (int k = 0; k < count; k++, a += step) glVertex2d(x + r * sin(a), y + r * cos(a));
}

void fill_circle(double x, double y, double r, int colour) {
    if (culled(x, y, r)) return;
    int n = circle_segment_count(r / units_per_pixel());
    glBegin(GL_TRIANGLE_FAN);
    set_colour(colour);
    glVertex2d(x, y);
    rim_points(x, y, r, 0, 1.0 / n * two_pi, n + 1);
    glEnd();
}

void draw_circle(double x, double y, double r, int colour) {
    if (outline_culled(x, y, r)) return;
    int n = circle_segment_count(r / units_per_pixel());
    glBegin(GL_LINE_LOOP);
    set_colour(colour);
    rim_points(x, y, r, 0, 1.0 / n * two_pi, n);
    glEnd();
}

void draw_arc(double x, double y, double r, double a0, double a1, int colour) {
    if (outline_culled(x, y, r)) return;
    int n = arc_segment_count(r / units_per_pixel(), a1 - a0);
    glBegin(GL_LINE_STRIP);
    set_colour(colour);
    rim_points(x, y, r, a0, 1.0 / n * (a1 - a0), n + 1);
    glEnd();
}

void fill_sector(double x, double y, double r_inner, double r_outer, double a0, double a1, int colour, int alpha) {
    if (culled(x, y, r_outer)) return;
    int n = arc_segment_count(r_outer / units_per_pixel(), a1 - a0);
    double step = 1.0 / n * (a1 - a0), a = a0;
    // Sectors start straight up on screen and turn clockwise.
    glColor4ub((GLubyte)(colour >> 16 & 255), (GLubyte)(colour >> 8 & 255), (GLubyte)(colour & 255),
               (GLubyte)(alpha & 255));
    if (r_inner == 0.0) {
        glBegin(GL_TRIANGLE_FAN);
        glVertex2d(x, y);
        for (int k = 0; k <= n; k++, a += step) glVertex2d(x + r_outer * sin(a), y - r_outer * cos(a));
    } else {
        glBegin(GL_QUAD_STRIP);
        for (int k = 0; k <= n; k++, a += step) {
            double s = (float)sin(a), c = (float)cos(a);
            glVertex2d(x + r_inner * s, y - r_inner * c);
            glVertex2d(x + r_outer * s, y - r_outer * c);
        }
    }
    glEnd();
}
