// The second harmonic's separatrix (see harmonic_overlay.h). In a column the
// curve's height is monotone between the fixed points, so its extremes over
// the column lie at the column's ends or at a fixed point inside it.
#include "app/overlays/harmonic_overlay.h"

#include <algorithm>
#include <cmath>


void harmonic_separatrix_runs(const Harmonic& second, double phase, const ViewWindow& v, int w, int h,
                              std::vector<PixelRun>* out) {
    out->clear();
    if (w <= 0 || h <= 0) return;
    std::vector<HarmonicPoint> points = harmonic_fixed_points(second, phase);
    for (const HarmonicWell& well : harmonic_wells(second, phase)) {
        double first = std::floor(view_px(v, well.a, w)), last = std::floor(view_px(v, well.b, w));
        if (!(first <= w - 1.0 && last >= 0)) continue;  // beside the view
        int c0 = (int)std::max(0.0, first), c1 = (int)std::min(w - 1.0, last);
        for (int col = c0; col <= c1; col++) {
            double xa = std::max(view_x_at(v, col, w), well.a), xb = std::min(view_x_at(v, col + 1, w), well.b);
            if (xa > xb) continue;
            double pa = harmonic_separatrix_xp(second, phase, well, xa);
            double pb = harmonic_separatrix_xp(second, phase, well, xb);
            double lo = std::min(pa, pb), hi = std::max(pa, pb);
            for (const HarmonicPoint& p : points)
                if (p.x >= xa && p.x <= xb) {
                    double xp = harmonic_separatrix_xp(second, phase, well, p.x);
                    lo = std::min(lo, xp);
                    hi = std::max(hi, xp);
                }
            if (xa == well.a || xb == well.b) lo = 0;  // a turning point: the branches meet at xp = 0
            separatrix_column_runs(col, lo, hi, v, h, out);
        }
    }
}
