// The map's invariant manifolds (see manifolds.h). Each generation is the
// previous one carried `stride` cells on, so a point costs that many steps;
// at small d, where one cell stretches a branch by little, the stride keeps
// the generations, and so the points, few. Where a generation has stretched,
// a point is inserted by carrying the middle of its neighbours' chord one
// generation back: that chord was short, and carrying a branch forward
// squeezes any error across it as it stretches the branch. Where that chord
// was long the point is grown afresh from the seed segment instead.
#include "app/model/manifolds.h"

#include <algorithm>
#include <cmath>

#include "app/model/harmonic.h"
#include "app/model/map_space.h"
#include "app/model/physics.h"

void map_step(double* x, double* xp, double d, double s, const ManifoldVoltage& v) {
    *xp += d * (std::sin(*x) + v.ratio * std::sin(v.number * *x + v.psi) - s);
    *x += d * *xp;
}

void map_step_back(double* x, double* xp, double d, double s, const ManifoldVoltage& v) {
    *x -= d * *xp;
    *xp -= d * (std::sin(*x) + v.ratio * std::sin(v.number * *x + v.psi) - s);
}

namespace {

// Beyond this region a branch has left for good: the map kills a particle
// once x leaves [0, 2 pi], and nothing drawn lies further out than a view can.
const double BOX_X0 = -map_two_pi, BOX_X1 = 2 * map_two_pi, BOX_XP = 8;
const int SEEDS = 2;                  // points across the seed segment: refinement adds what the view needs
const int MAX_GENERATIONS = 4000;
const double STRETCH = 1.05;          // a generation stretches its branch about this much at least
const size_t MAX_POINTS = 400000;     // per branch
const double COARSE = 0.05;           // phase-space spacing kept out of view too: no fold is missed
const double BACK = 0.02;             // back within this share of the bucket's half-width: done
const double SHORT_CHORD_PX = 4;      // a chord this short lies on the branch to well within a pixel

struct Point {
    double t, x, xp;  // t: where in the seed segment it started (0 .. 1)
    double bx, bxp;   // where it was a generation before
    bool in;          // inside the region
};

struct Branch {
    double d, s;
    ManifoldVoltage voltage;
    double fx, fxp;   // the fixed point
    double vx, vxp;   // the eigenvector, signed for this branch, times epsilon
    double lambda;    // of one generation: the eigenvalue to the stride
    int stride;       // cells a generation
    bool forward;     // the unstable manifold: the map itself; else its inverse
    // The view's pixel scale and the refinement's region of interest.
    double sx, sy;
    ViewWindow view;
    int w, h;
};

bool inside(double x, double xp) { return x >= BOX_X0 && x <= BOX_X1 && std::fabs(xp) <= BOX_XP; }

// The point carried `generations` generations on.
void carry(const Branch& b, Point* p, int generations) {
    if (generations > 0) {
        p->bx = p->x;
        p->bxp = p->xp;
    }
    for (int i = 0; i < generations * b.stride && p->in; i++) {
        if (b.forward) map_step(&p->x, &p->xp, b.d, b.s, b.voltage);
        else map_step_back(&p->x, &p->xp, b.d, b.s, b.voltage);
        p->in = inside(p->x, p->xp);
    }
}

Point grow(const Branch& b, double t, int n) {
    double k = std::pow(b.lambda, t);
    double x = b.fx + k * b.vx, xp = b.fxp + k * b.vxp;
    Point p = {t, x, xp, x, xp, true};
    carry(b, &p, n);
    return p;
}

// Distance to the fixed point or its copies 2 pi either side: where the
// bucket spans a whole period (phase -90) a branch runs into the next copy.
double from_fixed(const Branch& b, const Point& p) {
    double r = INFINITY;
    for (int k = -1; k <= 1; k++) r = std::min(r, std::hypot(p.x - b.fx - k * map_two_pi, p.xp - b.fxp));
    return r;
}

// Whether the segment from (x0, xp0) to (x1, xp1) may show in the view.
bool shows(const Branch& b, double x0, double xp0, double x1, double xp1) {
    double c0 = view_px(b.view, std::min(x0, x1), b.w), c1 = view_px(b.view, std::max(x0, x1), b.w);
    double r0 = view_py(b.view, std::min(xp0, xp1), b.h), r1 = view_py(b.view, std::max(xp0, xp1), b.h);
    return c1 >= -2 && c0 <= b.w + 2 && r1 >= -2 && r0 <= b.h + 2;
}

double chord_px(const Branch& b, double dx, double dxp) { return std::hypot(dx * b.sx, dxp * b.sy); }

bool needs_split(const Branch& b, const Point& p, const Point& q) {
    if (!p.in || !q.in || !(q.t - p.t > 1e-15)) return false;
    double dx = q.x - p.x, dxp = q.xp - p.xp;
    if (std::hypot(dx, dxp) > COARSE) return true;
    // Refined to the pixel only where the segment may show.
    return chord_px(b, dx, dxp) > manifold_spacing_px && shows(b, p.x, p.xp, q.x, q.xp);
}

// Whether the middle of the chord a generation back lies close enough to the
// branch: short on screen, or out of view and no longer than the coarse spacing.
bool chord_middle_will_do(const Branch& b, const Point& p, const Point& q) {
    double dx = q.bx - p.bx, dxp = q.bxp - p.bxp;
    if (chord_px(b, dx, dxp) <= SHORT_CHORD_PX) return true;
    return std::hypot(dx, dxp) <= COARSE && !shows(b, p.bx, p.bxp, q.bx, q.bxp);
}

void refine(const Branch& b, const Point& p, const Point& q, int n, int depth, std::vector<Point>* out) {
    if (depth > 48 || out->size() > MAX_POINTS || !needs_split(b, p, q)) return;
    Point m;
    if (n > 0 && chord_middle_will_do(b, p, q)) {
        m = {0.5 * (p.t + q.t), 0.5 * (p.bx + q.bx), 0.5 * (p.bxp + q.bxp), 0, 0, true};
        carry(b, &m, 1);
    } else {
        m = grow(b, 0.5 * (p.t + q.t), n);
    }
    refine(b, p, m, n, depth + 1, out);
    out->push_back(m);
    refine(b, m, q, n, depth + 1, out);
}

// One branch, generation after generation, into pieces of `into`.
void grow_branch(const Branch& b, double reach, std::vector<ManifoldPiece>* into) {
    std::vector<Point> gen, next;
    for (int k = 0; k <= SEEDS; k++) gen.push_back(grow(b, (double)k / SEEDS, 0));
    ManifoldPiece piece;
    size_t total = 0;
    bool far = false;
    auto flush = [&] {
        if (piece.xy.size() >= 4) into->push_back(std::move(piece));
        piece.xy.clear();
    };
    for (int n = 0;; n++) {
        if (n > 0) {
            for (Point& p : gen) carry(b, &p, 1);
            next.clear();
            for (size_t i = 0; i < gen.size(); i++) {
                next.push_back(gen[i]);
                if (i + 1 < gen.size()) refine(b, gen[i], gen[i + 1], n, 0, &next);
            }
            gen.swap(next);
        }
        double nearest = INFINITY;
        bool any = false;
        for (const Point& p : gen) {
            if (!p.in) {
                flush();
                continue;
            }
            any = true;
            double r = from_fixed(b, p);
            nearest = std::min(nearest, r);
            far |= r > reach;
            piece.xy.push_back(p.x);
            piece.xy.push_back(p.xp);
        }
        total += gen.size();
        // Gone for good, or once round and back by the fixed point.
        if (!any || (far && nearest < BACK * reach) || n >= MAX_GENERATIONS || total > MAX_POINTS) break;
    }
    flush();
}

}  // namespace

// Both manifolds of the hyperbolic point (x_u, 0), where the voltage's slope
// is c > 0, into out; `reach` is the bucket's half-width beside it.
static void grow_from(double x_u, double c, double reach, double d, double s, const ManifoldVoltage& voltage,
                      const ViewWindow& v, int w, int h, Manifolds* out) {
    // The map linearised at (x_u, 0) has trace 2 + d^2 c and determinant 1.
    const double trace = 2 + d * d * c;
    const double lambda = 0.5 * (trace + std::sqrt(trace * trace - 4));
    out->lambda = lambda;
    // The seed segment's size: its linear error, of order its square, is
    // carried along the branch and shrinks across it.
    const double eps = 1e-4 * reach;
    Branch b;
    b.d = d;
    b.s = s;
    b.voltage = voltage;
    b.fx = x_u;
    b.fxp = 0;
    b.stride = (int)std::ceil(std::log(STRETCH) / std::log(lambda));
    b.lambda = std::pow(lambda, b.stride);
    b.view = v;
    b.w = w;
    b.h = h;
    b.sx = w / (v.x1 - v.x0);
    b.sy = h / (v.xp1 - v.xp0);
    for (int m = 0; m < 2; m++) {
        b.forward = m == 0;
        // From the Jacobian's second row, d c vx + (1 - mu) vxp = 0, for mu = lambda or 1 / lambda.
        double mu = b.forward ? lambda : 1 / lambda;
        double ex = mu - 1, exp_ = d * c, norm = std::hypot(ex, exp_);
        for (int sign = -1; sign <= 1; sign += 2) {
            b.vx = sign * eps * ex / norm;
            b.vxp = sign * eps * exp_ / norm;
            grow_branch(b, reach, b.forward ? &out->unstable : &out->stable);
        }
    }
}

void grow_manifolds(double phase, double d, const ViewWindow& v, int w, int h, Manifolds* out,
                    const Harmonic& second) {
    out->unstable.clear();
    out->stable.clear();
    out->lambda = 1;
    const double s = std::cos(phase);  // sin(pi/2 + phase)
    if (!(d > 0) || w <= 0 || h <= 0) {
        out->exists = false;
        return;
    }
    if (!harmonic_on(second)) {
        FixedPoints f = fixed_points(phase, d);
        double left = 0, right = 0;
        const double c = std::cos(f.x_unstable);
        out->exists = separatrix_span(phase, &left, &right) && c > 0;
        out->x_fixed = f.x_unstable;
        if (out->exists) grow_from(f.x_unstable, c, 0.5 * (right - left), d, s, {}, v, w, h, out);
        return;
    }
    // Every unstable point that bounds a bucket: the edge of each well it touches.
    const ManifoldVoltage voltage = {second.ratio, (double)second.number, map_radians(second.phase_degrees)};
    const std::vector<HarmonicWell> wells = harmonic_wells(second, phase);
    out->exists = false;
    for (const HarmonicPoint& p : harmonic_fixed_points(second, phase)) {
        if (p.stable) continue;
        double reach = 0;
        for (const HarmonicWell& well : wells)
            if (p.x >= well.a - 1e-6 && p.x <= well.b + 1e-6) reach = std::max(reach, 0.5 * (well.b - well.a));
        const double c = std::cos(p.x) + voltage.ratio * voltage.number * std::cos(voltage.number * p.x + voltage.psi);
        if (!(reach > 0) || !(c > 0)) continue;
        if (!out->exists) out->x_fixed = p.x;
        out->exists = true;
        grow_from(p.x, c, reach, d, s, voltage, v, w, h, out);
    }
}
