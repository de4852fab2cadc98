// The second harmonic's continuum theory (see harmonic.h), numerically: roots
// of U' bracketed on a grid and bisected, wells between the maxima of U, and
// their areas by Gauss-Legendre panels in an angle that smooths the square
// roots at the turning points.
#include "app/model/harmonic.h"

#include <algorithm>
#include <cmath>

#include "app/model/map_space.h"
#include "app/model/view_window.h"

namespace {

const double PI = map_two_pi / 2;

double sin_sp(double phase) { return sin(PI / 2 + phase); }

double psi(const Harmonic& h) { return map_radians(h.phase_degrees); }

// U'(x) = -(sin x + r sin(h x + psi) - sin sp): minus the cell's voltage.
double slope(const Harmonic& h, double phase, double x) {
    return -(sin(x) + h.ratio * sin(h.number * x + psi(h)) - sin_sp(phase));
}

// Bisection of U' = 0 on [lo, hi], U' of opposite signs at the ends.
double root(const Harmonic& h, double phase, double lo, double hi) {
    bool lo_negative = slope(h, phase, lo) < 0;
    for (;;) {
        double mid = 0.5 * (lo + hi);
        if (mid == lo || mid == hi) return mid;
        if ((slope(h, phase, mid) < 0) == lo_negative) lo = mid;
        else hi = mid;
    }
}

// x in [lo, hi] where U = level, U - level of opposite signs at the ends.
double crossing(const Harmonic& h, double phase, double level, double lo, double hi) {
    bool lo_below = harmonic_potential(h, phase, lo) < level;
    for (;;) {
        double mid = 0.5 * (lo + hi);
        if (mid == lo || mid == hi) return mid;
        if ((harmonic_potential(h, phase, mid) < level) == lo_below) lo = mid;
        else hi = mid;
    }
}

}  // namespace

bool harmonic_equal(const Harmonic& a, const Harmonic& b) {
    return a.ratio == b.ratio && a.number == b.number && a.phase_degrees == b.phase_degrees;
}

Harmonic harmonic_clamped(Harmonic h) {
    h.ratio = std::isfinite(h.ratio) && h.ratio > 0 ? std::min(h.ratio, harmonic_max_ratio) : 0;
    h.number = std::max(harmonic_min_number, std::min(h.number, harmonic_max_number));
    if (!std::isfinite(h.phase_degrees)) h.phase_degrees = 0;
    return h;
}

HarmonicUniforms harmonic_uniforms(const Harmonic& h) {
    return {(float)h.ratio, (float)h.number, map_phase_radians(h.phase_degrees)};
}

double harmonic_potential(const Harmonic& h, double phase, double x) {
    return cos(x) + h.ratio / h.number * cos(h.number * x + psi(h)) + x * sin_sp(phase);
}

double harmonic_curvature(const Harmonic& h, double phase, double x) {
    (void)phase;  // the gain's term is linear in x
    return -cos(x) - h.ratio * h.number * cos(h.number * x + psi(h));
}

std::vector<HarmonicPoint> harmonic_fixed_points(const Harmonic& h, double phase) {
    std::vector<HarmonicPoint> out;
    // 512 grid cells per period of the fastest term: two roots closer than a
    // cell are all but a double root, which the map cannot tell from none.
    const int n = 512 * std::max(1, h.number);
    double x0 = 0, g0 = slope(h, phase, 0);
    for (int i = 1; i <= n; i++) {
        double x1 = map_two_pi * i / n, g1 = slope(h, phase, x1);
        if ((g0 < 0) != (g1 < 0)) out.push_back({root(h, phase, x0, x1), g0 < 0});
        x0 = x1;
        g0 = g1;
    }
    return out;
}

std::vector<HarmonicWell> harmonic_wells(const Harmonic& h, double phase) {
    std::vector<HarmonicPoint> points = harmonic_fixed_points(h, phase);
    // Cut at the maxima of U and the ends: between two cuts U falls to one
    // minimum and rises again, and m is constant wherever it exceeds U.
    std::vector<double> cuts = {0};
    for (const HarmonicPoint& p : points)
        if (!p.stable) cuts.push_back(p.x);
    cuts.push_back(map_two_pi);
    std::vector<double> left_max(cuts.size()), right_max(cuts.size());
    for (size_t i = 0; i < cuts.size(); i++) {
        double u = harmonic_potential(h, phase, cuts[i]);
        left_max[i] = i ? std::max(left_max[i - 1], u) : u;
    }
    for (size_t i = cuts.size(); i-- > 0;) {
        double u = harmonic_potential(h, phase, cuts[i]);
        right_max[i] = i + 1 < cuts.size() ? std::max(right_max[i + 1], u) : u;
    }
    std::vector<HarmonicWell> wells;
    for (size_t i = 0; i + 1 < cuts.size(); i++) {
        double p = cuts[i], q = cuts[i + 1], bottom = NAN;
        for (const HarmonicPoint& s : points)
            if (s.stable && s.x > p && s.x < q &&
                !(harmonic_potential(h, phase, s.x) >= harmonic_potential(h, phase, bottom)))
                bottom = s.x;
        double level = std::min(left_max[i], right_max[i + 1]);
        if (std::isnan(bottom) || !(harmonic_potential(h, phase, bottom) < level)) continue;
        double a = harmonic_potential(h, phase, p) < level ? p : crossing(h, phase, level, p, bottom);
        double b = harmonic_potential(h, phase, q) < level ? q : crossing(h, phase, level, bottom, q);
        // A hump below the level joins its neighbours into one well.
        if (!wells.empty() && wells.back().b == a && wells.back().level == level) wells.back().b = b;
        else wells.push_back({a, b, level});
    }
    return wells;
}

double harmonic_separatrix_xp(const Harmonic& h, double phase, const HarmonicWell& w, double x) {
    if (!(x >= w.a && x <= w.b)) return 0;
    return sqrt(2 * std::max(0.0, w.level - harmonic_potential(h, phase, x)));
}

double harmonic_bucket_area(const Harmonic& h, double phase) {
    // x = a + (b - a) (1 - cos t) / 2 over t in [0, pi]: dx carries sin t,
    // which cancels the square root's infinite slope at either end.
    static const double node[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563, 0.8611363115940526};
    static const double weight[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461, 0.3478548451374538};
    const int panels = 2048;
    double area = 0;
    for (const HarmonicWell& w : harmonic_wells(h, phase)) {
        double sum = 0, width = PI / panels, half = (w.b - w.a) / 2;
        for (int k = 0; k < panels; k++)
            for (int j = 0; j < 4; j++) {
                double t = width * (k + 0.5 + 0.5 * node[j]);
                double xp = std::min(harmonic_separatrix_xp(h, phase, w, w.a + half * (1 - cos(t))), map_xp_bottom);
                sum += weight[j] * 0.5 * width * 2 * xp * half * sin(t);
            }
        area += sum;
    }
    return area;
}

bool harmonic_main_point(const Harmonic& h, double phase, double* x) {
    double deepest = 0;
    bool found = false;
    std::vector<HarmonicWell> wells = harmonic_wells(h, phase);
    for (const HarmonicPoint& p : harmonic_fixed_points(h, phase)) {
        if (!p.stable) continue;
        for (const HarmonicWell& w : wells) {
            double depth = w.level - harmonic_potential(h, phase, p.x);
            if (p.x > w.a && p.x < w.b && depth > deepest) {
                deepest = depth;
                *x = p.x;
                found = true;
            }
        }
    }
    return found;
}

BucketFigures harmonic_bucket_figures(const Harmonic& h, double d, double phase, double measured_area,
                                      double measured_half_height) {
    if (!harmonic_on(h)) return bucket_figures(d, phase, measured_area, measured_half_height);
    BucketFigures f = {};
    double x_s = 0;
    bool centre = harmonic_main_point(h, phase, &x_s);
    double k = centre ? harmonic_curvature(h, phase, x_s) : NAN;
    f.flat_bottom = centre && fabs(k) <= harmonic_flat_curvature * (1 + h.ratio * h.number);
    f.exists = centre && d > 0 && (f.flat_bottom || d * d * k < 4);
    f.measured_area = f.exists ? measured_area : NAN;
    f.continuum_area = harmonic_bucket_area(h, phase);
    f.ratio = f.continuum_area > 0 ? f.measured_area / f.continuum_area : NAN;
    f.measured_half_height = f.exists ? measured_half_height : NAN;
    f.continuum_half_height = 0;
    if (centre)
        for (const HarmonicWell& w : harmonic_wells(h, phase))
            f.continuum_half_height = std::max(f.continuum_half_height, harmonic_separatrix_xp(h, phase, w, x_s));
    f.tune_degrees = f.flat_bottom ? NAN : acos(1 - d * d * k / 2) * (180 / PI);
    f.limit_d = centre && !f.flat_bottom ? 2 / sqrt(k) : 0;
    return f;
}

void harmonic_count_start(BucketCount* c, const Harmonic& h, float d, float phase, float maxit, int w, int rows) {
    bucket_count_start(c, d, phase, maxit, w, rows);
    if (!harmonic_on(h)) return;
    c->second = harmonic_uniforms(h);
    double x_s = NAN;
    harmonic_main_point(h, phase, &x_s);
    double col = floor(view_px(view_full(), x_s, c->w));
    c->centre_col = col >= 0 && col < c->w ? (int)col : -1;
    c->centre.assign(c->centre_col >= 0 ? c->h : 0, 0);
}
