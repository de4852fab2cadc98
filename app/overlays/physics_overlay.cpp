// The separatrix overlay (see physics_overlay.h). The curve is rasterised
// here rather than drawn as a line strip: near its turning points it stands
// vertical, where a strip's chords would leave the curve, and the runs put
// every crossed pixel on it whatever the zoom. Relies on app/physics.
#include "app/overlays/physics_overlay.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "app/model/physics.h"
#include "app/overlays/harmonic_overlay.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"

namespace {

// Rows between ra and rb (fractional, either first: a flipped view
// swaps them) as a run of whole rows inside 0 .. h-1; false when none are.
bool row_span(double ra, double rb, int h, int* r0, int* r1) {
    if (ra > rb) std::swap(ra, rb);
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

void separatrix_column_runs(int col, double lo, double hi, const ViewWindow& v, int h, std::vector<PixelRun>* out) {
    int r0, r1;
    if (lo == 0) {
        if (row_span(view_py(v, -hi, h), view_py(v, hi, h), h, &r0, &r1)) out->push_back({col, r0, r1});
        return;
    }
    if (row_span(view_py(v, -hi, h), view_py(v, -lo, h), h, &r0, &r1)) out->push_back({col, r0, r1});
    if (row_span(view_py(v, lo, h), view_py(v, hi, h), h, &r0, &r1)) out->push_back({col, r0, r1});
}

void separatrix_runs(double phase, const ViewWindow& v, int w, int h, std::vector<PixelRun>* out) {
    out->clear();
    double left, right;
    if (w <= 0 || h <= 0 || !separatrix_span(phase, &left, &right)) return;
    const double x_s = fixed_points(phase, 0).x_stable, top = continuum_half_height(phase);
    // Columns in double first: beside a narrow view they lie far outside int's range.
    double first = std::floor(view_px(v, left, w)), last = std::floor(view_px(v, right, w));
    if (!(first <= w - 1.0 && last >= 0)) return;  // the curve lies beside the view
    int c0 = (int)std::max(0.0, first), c1 = (int)std::min(w - 1.0, last);
    for (int col = c0; col <= c1; col++) {
        double xa = std::max(view_x_at(v, col, w), left), xb = std::min(view_x_at(v, col + 1, w), right);
        if (xa > xb) continue;
        double pa = branch_xp(phase, xa), pb = branch_xp(phase, xb);
        double lo = std::min(pa, pb), hi = std::max(pa, pb);
        if (x_s >= xa && x_s <= xb) hi = top;       // the branch's peak lies in this column
        if (xa == left || xb == right) lo = 0;      // a turning point: the branches meet at xp = 0
        separatrix_column_runs(col, lo, hi, v, h, out);
    }
}

void draw_separatrix(Separatrix* s, double phase, const ViewWindow& v, int w, int h, const Harmonic& second) {
    if (!s->valid || phase != s->phase || w != s->w || h != s->h || !view_equal(v, s->view) ||
        !harmonic_equal(second, s->harmonic)) {
        s->points.clear();
        if (harmonic_on(second)) {
            harmonic_separatrix_runs(second, phase, v, w, h, &s->runs);
            s->points = harmonic_fixed_points(second, phase);
        } else {
            separatrix_runs(phase, v, w, h, &s->runs);
            FixedPoints f = fixed_points(phase, 0);
            if (!s->runs.empty()) s->points = {{f.x_stable, true}, {f.x_unstable, false}};
        }
        s->phase = phase;
        s->view = v;
        s->w = w;
        s->h = h;
        s->harmonic = second;
        s->valid = true;
    }
    if (s->runs.empty() && s->points.empty()) return;
    begin_overlay_pixels();
    glBegin(GL_QUADS);  // whole pixels: each run's quad covers exactly its pixels' centres
    for (const PixelRun& r : s->runs) box_vertices(r.col, r.row0, 1, r.row1 - r.row0 + 1, separatrix_colour);
    glEnd();
    const double m = fixed_point_mark, py = std::floor(view_py(v, 0, h)) + 0.5;
    for (const HarmonicPoint& p : s->points) {
        const double px = std::floor(view_px(v, p.x, w)) + 0.5;
        if (p.stable) {
            draw_circle(px, py, m, separatrix_colour);
        } else {
            draw_line(px - m, py - m, px + m, py + m, separatrix_colour);
            draw_line(px - m, py + m, px + m, py - m, separatrix_colour);
        }
    }
    end_overlay_pixels();
}
