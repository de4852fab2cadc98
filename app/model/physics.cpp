// The stability map's physics (see physics.h): closed forms and numerics in
// double for the continuum bucket, float tracking for what the program draws.
// Relies on <cmath>, the map window of app/model/map_space.h and view_window's arithmetic only.
#include "app/model/physics.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "app/model/map_space.h"
#include "app/model/view_window.h"

namespace {

const double PI = map_two_pi / 2;

// The continuum bucket of one phase. V(x) = cos x + s x is the potential and
// the bucket the well around its minimum, below the lower of the two humps
// beside it. V at a hump x + 2 pi exceeds V at x by 2 pi s, so for s >= 0 the
// left hump bounds the bucket; for s < 0 the picture is that of |s| mirrored
// about x = pi. The numerics work with |s| and in h = x - x_u, the distance
// from the corner, which keeps the depth accurate where it vanishes.
struct Well {
    double s;        // sin(sp) = cos(phase)
    double sigma;    // |s|
    double c;        // |cos sp| = |sin phase|: the curvature at the corner
    double a;        // the corner's x for |s|: asin |s|, in [0, pi/2]
    double h_s;      // the bucket's centre, pi - 2a from the corner
    bool mirrored;   // s < 0: positions are 2 pi - x
    bool exists;     // c above the phase's own rounding; false for a phase that is not a number
};

// Straight from the phase rather than through sin(sp): near phase 0, where
// the bucket shrinks like |phase|^(5/2), 1 - |s| would round away. A sine
// within the rounding of the phase to float, as the program takes it (180
// degrees gives 8.7e-8), is taken as the degenerate sp = +-pi/2 it stands for.
Well well_of(double phase) {
    Well w;
    w.s = cos(phase);
    w.sigma = fabs(w.s);
    w.c = fabs(sin(phase));
    w.exists = w.c > 0x1p-24 * fabs(phase);
    w.a = atan2(w.sigma, w.c);
    w.h_s = 2 * atan2(w.c, w.sigma);
    w.mirrored = w.s < 0;
    return w;
}

double well_x(const Well& w, double x) { return w.mirrored ? map_two_pi - x : x; }

// h - sin h without the cancellation of small h (Taylor series below 0.5,
// its dropped terms under 1e-16 relative).
double h_minus_sin(double h) {
    if (fabs(h) >= 0.5) return h - sin(h);
    double q = h * h;
    double r = 1 - q / 210;
    for (int k = 13; k >= 5; k -= 2) r = 1 - q / (k * (k - 1)) * r;
    return h * q / 6 * r;
}

// H(corner, 0) - H(corner + h, 0): positive inside the bucket, exactly 0 at
// the corner, where it vanishes like c h^2 / 2.
double depth(const Well& w, double h) {
    double half = sin(h / 2);
    return 2 * w.c * half * half - w.sigma * h_minus_sin(h);
}

// The far turning point's distance from the corner, by bisection between the
// centre (depth > 0) and the next hump at 2 pi (depth = -2 pi |s| <= 0).
double turning_h(const Well& w) {
    double in = w.h_s, out = map_two_pi;
    for (;;) {
        double mid = 0.5 * (in + out);
        if (mid == in || mid == out) return in;
        if (depth(w, mid) > 0)
            in = mid;
        else
            out = mid;
    }
}

// Gauss-Legendre with n (even) nodes on [0, 1] of the area integrand after
// h = h_t (1 - u^2): the square-root zero at the turning point becomes u^2
// and the linear one at the corner stays smooth, so the integrand is analytic.
double area_rule(const Well& w, double h_t, int n) {
    double sum = 0;
    for (int i = 0; i < n / 2; i++) {
        // Newton on the Legendre polynomial P_n from the usual first guess.
        double z = cos(PI * (i + 0.75) / (n + 0.5)), dp = 1;
        for (int it = 0; it < 20; it++) {
            double p1 = 1, p0 = 0;
            for (int j = 1; j <= n; j++) {
                double pm = p0;
                p0 = p1;
                p1 = ((2 * j - 1) * z * p0 - (j - 1) * pm) / j;
            }
            dp = n * (z * p1 - p0) / (z * z - 1);
            double step = p1 / dp;
            z -= step;
            if (fabs(step) < 1e-15) break;
        }
        double weight = 1 / ((1 - z * z) * dp * dp);  // on [0, 1]
        double u1 = 0.5 * (1 - z), u2 = 0.5 * (1 + z);
        double v1 = depth(w, h_t * (1 - u1 * u1)), v2 = depth(w, h_t * (1 - u2 * u2));
        sum += weight * (u1 * sqrt(2 * fmax(v1, 0)) + u2 * sqrt(2 * fmax(v2, 0)));
    }
    return 2 * sum * 2 * h_t;  // both halves (xp > 0 and < 0) times |dh/du| = 2 h_t u
}

double pixel_area(int w, int h) { return (map_x_max - map_x_min) * (map_xp_bottom - map_xp_top) / ((double)w * h); }

}  // namespace

FixedPoints fixed_points(double phase, double d) {
    Well w = well_of(phase);
    double k = d * d * w.c;  // d^2 |cos sp|: 2 - k is the trace of the map linearised at the centre
    return {well_x(w, PI - w.a), well_x(w, w.a), w.exists && k > 0 && k < 4};
}

bool bucket_exists(double d, double phase) { return fixed_points(phase, d).discrete_stable; }

double synchrotron_tune(double d, double phase) {
    Well w = well_of(phase);
    if (!w.exists && !std::isnan(phase)) return 0;  // sin x - sin sp never changes sign: nothing turns
    return acos(1 - d * d * w.c / 2) * (180 / PI);
}

double stability_limit_d(double phase) {
    Well w = well_of(phase);
    return w.exists ? 2 / sqrt(w.c) : 0;
}

double continuum_bucket_area(double phase) {
    Well w = well_of(phase);
    if (!w.exists) return 0;
    double h_t = turning_h(w), last = area_rule(w, h_t, 8);
    // Double the nodes until two rules agree to rounding: 16 to 64 nodes for
    // most phases, 128 within a thousandth of a degree of -90, where the
    // turning point nears the next hump.
    for (int n = 16; n <= 1024; n *= 2) {
        double next = area_rule(w, h_t, n);
        if (fabs(next - last) <= 1e-14 * next) return next;
        last = next;
    }
    return last;
}

double continuum_half_height(double phase) {
    Well w = well_of(phase);
    return w.exists ? sqrt(2 * depth(w, w.h_s)) : 0;
}

bool separatrix_span(double phase, double* x_left, double* x_right) {
    Well w = well_of(phase);
    if (!w.exists) return false;
    double corner = well_x(w, w.a), far = well_x(w, w.a + turning_h(w));
    *x_left = fmin(corner, far);
    *x_right = fmax(corner, far);
    return true;
}

int separatrix_xp(double phase, double x, double* xp) {
    Well w = well_of(phase);
    if (!w.exists) return 0;
    double h = well_x(w, x) - w.a;
    // From the corner to the centre the depth is positive; from the centre to
    // the next hump, up to the turning point. The slack lets the span's own
    // ends, rounded on their way through x, count as inside.
    double v = depth(w, h);
    if (!(h >= -1e-12 && h <= w.h_s) && !(h > w.h_s && h <= map_two_pi && v >= -1e-14)) return 0;
    *xp = sqrt(2 * fmax(v, 0));
    return 1;
}

StartPoint program_start(float s, float t) { return {s * program_pi * 2.0f, t * 6.0f - 3.0f}; }

int track_start(float x, float xp, float d, float phase, float maxit, float* points, int max_points,
                const HarmonicUniforms* second) {
    if (second && second->ratio == 0) second = nullptr;
    const float pi = program_pi;
    float sp = 0.5f * pi + phase;
    float ssp = std::sin(sp);
    float i = 0;
    int kept = 0;
    if (points && kept < max_points) {
        points[0] = x;
        points[1] = xp;
        kept = 1;
    }
    while (i <= maxit && x >= 0 && x <= pi * 2.0f) {
        if (second)
            xp = xp + d * (std::sin(x) + second->ratio * std::sin(second->number * x + second->phase) - ssp);
        else
            xp = xp + d * (std::sin(x) - ssp);
        x = x + d * xp;
        if (i + 1 == i) return INT_MAX;  // the program's counter is stuck: it would loop for ever
        i = i + 1;
        if (points && kept < max_points) {
            points[2 * kept] = x;
            points[2 * kept + 1] = xp;
            kept++;
        }
    }
    return (int)i;
}

void bucket_count_start(BucketCount* c, float d, float phase, float maxit, int w, int h) {
    c->d = d;
    c->phase = phase;
    c->maxit = maxit;
    c->w = w > 0 && h > 0 ? w : 0;
    c->h = w > 0 && h > 0 ? h : 0;
    c->next = 0;
    c->survivors = 0;
    double x_s = fixed_points(phase, d).x_stable;
    double col = floor(view_px(view_full(), x_s, c->w));
    c->centre_col = col >= 0 && col < c->w ? (int)col : -1;  // false for a NaN as well
    c->centre.assign(c->centre_col >= 0 ? c->h : 0, 0);
    c->second = {0, 0, 0};
}

long long bucket_count_run(BucketCount* c, long long passes) {
    const long long total = (long long)c->w * c->h;
    long long spent = 0;
    while (c->next < total && (spent < passes || spent == 0)) {
        int row = (int)(c->next / c->w), col = (int)(c->next % c->w);
        float s = (col + 0.5f) / c->w, t = (row + 0.5f) / c->h;
        StartPoint p = program_start(s, t);
        int made = track_start(p.x, p.xp, c->d, c->phase, c->maxit, nullptr, 0, &c->second);
        bool survived = (float)made > c->maxit;
        c->survivors += survived;
        if (col == c->centre_col) c->centre[row] = survived;
        spent += std::min<long long>(made, (long long)c->maxit + 1) + 1;  // + 1: a start costs too
        c->next++;
    }
    return spent;
}

bool bucket_count_done(const BucketCount& c) { return c.next >= (long long)c.w * c.h; }

float bucket_count_progress(const BucketCount& c) {
    long long total = (long long)c.w * c.h;
    return total > 0 ? (float)((double)c.next / total) : 1.0f;
}

double bucket_count_area(const BucketCount& c) { return c.w > 0 ? c.survivors * pixel_area(c.w, c.h) : 0; }

double bucket_count_half_height(const BucketCount& c) {
    if (c.centre_col < 0 || c.h < 2) return 0;
    // The rows either side of xp = 0 (the middle one, for an odd count).
    int start = c.centre[c.h / 2] ? c.h / 2 : c.centre[(c.h - 1) / 2] ? (c.h - 1) / 2 : -1;
    if (start < 0) return 0;
    int top = start, bottom = start;
    while (top > 0 && c.centre[top - 1]) top--;
    while (bottom + 1 < c.h && c.centre[bottom + 1]) bottom++;
    return (bottom - top + 1) * (map_xp_bottom - map_xp_top) / c.h / 2;
}

double measured_bucket_area(float d, float phase, float maxit, int w, int h) {
    BucketCount c;
    bucket_count_start(&c, d, phase, maxit, w, h);
    bucket_count_run(&c, LLONG_MAX);
    return bucket_count_area(c);
}

BucketFigures bucket_figures(double d, double phase, double measured_area, double measured_half_height) {
    BucketFigures f;
    f.d = d;
    f.exists = bucket_exists(d, phase);
    f.measured_area = measured_area;  // survivors, bucket or islands
    f.continuum_area = continuum_bucket_area(phase);
    // At d = 0 nothing moves and every start survives: no measure of anything.
    f.ratio = f.continuum_area > 0 && d != 0 ? f.measured_area / f.continuum_area : NAN;
    f.measured_half_height = f.exists ? measured_half_height : NAN;
    f.continuum_half_height = continuum_half_height(phase);
    f.tune_degrees = synchrotron_tune(d, phase);
    f.limit_d = stability_limit_d(phase);
    f.flat_bottom = false;
    return f;
}

double bucket_area_from_rgba(const unsigned char* rgba, int w, int h, int stride) {
    if (!rgba || w <= 0 || h <= 0 || stride / 4 < w) return 0;
    long long black = 0;
    for (int row = 0; row < h; row++) {
        const unsigned char* p = rgba + (size_t)row * (size_t)stride;
        for (int col = 0; col < w; col++, p += 4)
            if ((p[0] | p[1] | p[2]) == 0) black++;
    }
    return black * pixel_area(w, h);
}

double bucket_half_height_from_rgba(const unsigned char* rgba, int w, int h, int stride, float d, float phase) {
    if (!rgba || w <= 0 || h <= 0 || stride / 4 < w) return 0;
    BucketCount c;
    bucket_count_start(&c, d, phase, 0, w, h);
    if (c.centre_col < 0) return 0;
    for (int row = 0; row < h; row++) {
        const unsigned char* p = rgba + (size_t)row * (size_t)stride + (size_t)c.centre_col * 4;
        c.centre[row] = (p[0] | p[1] | p[2]) == 0;
    }
    return bucket_count_half_height(c);
}
