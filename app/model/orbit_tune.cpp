// Orbit tunes (see orbit_tune.h).
#include "app/model/orbit_tune.h"

#include <cmath>

#include "app/model/map_space.h"
#include "app/model/physics.h"

OrbitTune orbit_tune(const float* points, int count, int passes, float maxit, double phase, double d,
                     double centre) {
    OrbitTune t = {(float)passes > maxit, NAN, 0, passes};
    const double x_s = std::isfinite(centre) ? centre : fixed_points(phase, d).x_stable;
    double turned = 0, before = 0;
    for (int i = 0; i < count; i++) {
        double x = points[2 * i] - x_s, xp = points[2 * i + 1];
        t.amplitude = std::fmax(t.amplitude, std::fabs(xp));
        // Clockwise with x across and xp up: the map turns that way about its
        // centre, by less than half a turn a cell below the stability limit.
        double angle = std::atan2(xp, x);
        if (i > 0) turned += std::remainder(before - angle, map_two_pi);
        before = angle;
    }
    if (t.survived && count > 1) t.tune_degrees = turned / (count - 1) * (360 / map_two_pi);
    return t;
}

namespace {

double potential(double x, double s) { return std::cos(x) + x * s; }

// The x in [a, b] where the potential reaches h, V(a) < h <= V(b) or the other way round.
double turning_point(double a, double b, double h, double s) {
    bool a_below = potential(a, s) < h;
    for (int i = 0; i < 200; i++) {
        double m = 0.5 * (a + b);
        if (m == a || m == b) break;
        if ((potential(m, s) < h) == a_below) a = m;
        else b = m;
    }
    return 0.5 * (a + b);
}

// Time from the stable point to the turning point x_t at level h, after
// x = x_t + (x_s - x_t) v^2: the square-root zero at x_t becomes smooth.
double half_period(double x_s, double x_t, double h, double s) {
    const int n = 2048;
    double sum = 0, span = x_s - x_t;
    for (int i = 0; i < n; i++) {
        double v = (i + 0.5) / n, x = x_t + span * v * v;
        double k = 2 * (h - potential(x, s));
        if (k > 0) sum += 2 * std::fabs(span) * v / std::sqrt(k);
    }
    return sum / n;
}

}  // namespace

double continuum_tune(double phase, double d, double amplitude) {
    const double half = continuum_half_height(phase);
    if (!(half > 0) || !(amplitude >= 0) || amplitude > half) return NAN;
    if (amplitude == half) return 0;
    const FixedPoints f = fixed_points(phase, 0);
    const double s = std::cos(phase);  // sin(pi/2 + phase)
    const double x_s = f.x_stable;
    // The humps either side of the well: the unstable point and its copy 2 pi away.
    const double left = f.x_unstable < x_s ? f.x_unstable : f.x_unstable - map_two_pi;
    const double right = left + map_two_pi;
    const double h = 0.5 * amplitude * amplitude + potential(x_s, s);
    if (amplitude == 0) return d * std::sqrt(-std::cos(x_s)) * (360 / map_two_pi);  // 2 pi / sqrt(V''(x_s)) a period
    double t = half_period(x_s, turning_point(left, x_s, h, s), h, s) +
               half_period(x_s, turning_point(x_s, right, h, s), h, s);
    return 360 * d / (2 * t);
}
