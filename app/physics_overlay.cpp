// The separatrix overlay (see physics_overlay.h). The curve is rasterised
// here rather than drawn as a line strip: near its turning points it stands
// vertical, where a strip's chords would leave the curve, and the runs put
// every crossed pixel on it whatever the zoom. Relies on app/physics.
#include "app/physics_overlay.h"

#include <algorithm>
#include <cmath>

#include "app/physics.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"

namespace {

// Rows from ra to rb (fractional, ra <= rb) as a run of whole rows inside 0 .. h-1; false when none are.
bool row_span(double ra, double rb, int h, int* r0, int* r1) {
    if (!(rb >= 0 && ra < h)) return false;  // also false for NaN
    *r0 = (int)std::max(0.0, std::floor(ra));
    *r1 = (int)std::min(h - 1.0, std::floor(rb));
    return *r0 <= *r1;
}

// |xp| of the curve at x, 0 where rounding puts x just outside the span.
double branch_xp(double phase, double x) {
    double xp = 0;
    return separatrix_xp(phase, x, &xp) ? xp : 0;
}

}  // namespace

void separatrix_runs(double phase, const ViewWindow& v, int w, int h, std::vector<PixelRun>* out) {
    out->clear();
    double left, right;
    if (w <= 0 || h <= 0 || !separatrix_span(phase, &left, &right)) return;
    const double x_s = fixed_points(phase, 0).x_stable, top = continuum_half_height(phase);
    const double across = v.x1 - v.x0, down = v.xp1 - v.xp0;
    auto row_of = [&](double xp) { return (xp - v.xp0) / down * h; };
    // Columns in double first: beside a narrow view they lie far outside int's range.
    double first = std::floor((left - v.x0) / across * w), last = std::floor((right - v.x0) / across * w);
    if (!(first <= w - 1.0 && last >= 0)) return;  // the curve lies beside the view
    int c0 = (int)std::max(0.0, first), c1 = (int)std::min(w - 1.0, last);
    for (int col = c0; col <= c1; col++) {
        double xa = std::max(view_x_at(v, col, w), left), xb = std::min(view_x_at(v, col + 1, w), right);
        if (xa > xb) continue;
        double pa = branch_xp(phase, xa), pb = branch_xp(phase, xb);
        double lo = std::min(pa, pb), hi = std::max(pa, pb);
        if (x_s >= xa && x_s <= xb) hi = top;       // the branch's peak lies in this column
        if (xa == left || xb == right) lo = 0;      // a turning point: the branches meet at xp = 0
        int r0, r1;
        if (lo == 0) {
            if (row_span(row_of(-hi), row_of(hi), h, &r0, &r1)) out->push_back({col, r0, r1});
            continue;
        }
        if (row_span(row_of(-hi), row_of(-lo), h, &r0, &r1)) out->push_back({col, r0, r1});
        if (row_span(row_of(lo), row_of(hi), h, &r0, &r1)) out->push_back({col, r0, r1});
    }
}

void draw_separatrix(double phase, const ViewWindow& v, int w, int h) {
    std::vector<PixelRun> runs;
    separatrix_runs(phase, v, w, h, &runs);
    if (runs.empty()) return;
    begin_overlay_pixels();
    glBegin(GL_QUADS);  // whole pixels: each run's quad covers exactly its pixels' centres
    for (const PixelRun& r : runs) box_vertices(r.col, r.row0, 1, r.row1 - r.row0 + 1, separatrix_colour);
    glEnd();
    FixedPoints f = fixed_points(phase, 0);
    auto pixel_centre = [&](double x, double* px, double* py) {
        *px = std::floor((x - v.x0) / (v.x1 - v.x0) * w) + 0.5;
        *py = std::floor((0 - v.xp0) / (v.xp1 - v.xp0) * h) + 0.5;
    };
    double px, py;
    const double m = fixed_point_mark;
    pixel_centre(f.x_stable, &px, &py);
    draw_circle(px, py, m, separatrix_colour);
    pixel_centre(f.x_unstable, &px, &py);
    draw_line(px - m, py - m, px + m, py + m, separatrix_colour);
    draw_line(px - m, py + m, px + m, py - m, separatrix_colour);
    end_overlay_pixels();
}

void begin_overlay_pixels() {
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
    begin_window_coords();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glLineWidth(1);
    glPointSize(1);
}

void end_overlay_pixels() {
    end_window_coords();
    glPopAttrib();
}
