// The map's invariant manifolds (see manifolds.h). Each generation is the
// previous one carried one cell on, so a point costs one step; only the points
// inserted where a generation has stretched are grown afresh from the seed
// segment, which keeps every point exactly on the n-th image of its seed.
#include "app/model/manifolds.h"

#include <algorithm>
#include <cmath>

#include "app/model/map_space.h"
#include "app/model/physics.h"

void map_step(double* x, double* xp, double d, double s) {
    *xp += d * (std::sin(*x) - s);
    *x += d * *xp;
}

void map_step_back(double* x, double* xp, double d, double s) {
    *x -= d * *xp;
    *xp -= d * (std::sin(*x) - s);
}

namespace {

// Beyond this region a branch has left for good: the map kills a particle
// once x leaves [0, 2 pi], and nothing drawn lies further out than a view can.
const double BOX_X0 = -map_two_pi, BOX_X1 = 2 * map_two_pi, BOX_XP = 8;
const int SEEDS = 8;                  // points across the seed segment
const int MAX_GENERATIONS = 60000;    // d of 0.002 still goes once round
const size_t MAX_POINTS = 400000;     // per branch
const double COARSE = 0.05;           // phase-space spacing kept out of view too: no fold is missed
const double BACK = 0.02;             // back within this share of the bucket's half-width: done

struct Point {
    double t, x, xp;  // t: where in the seed segment it started (0 .. 1)
    bool in;          // inside the region
};

struct Branch {
    double d, s;
    double fx, fxp;   // the fixed point
    double vx, vxp;   // the eigenvector, signed for this branch, times epsilon
    double lambda;
    bool forward;     // the unstable manifold: the map itself; else its inverse
    // The view's pixel scale and the refinement's region of interest.
    double sx, sy;
    ViewWindow view;
    int w, h;
};

bool inside(double x, double xp) { return x >= BOX_X0 && x <= BOX_X1 && std::fabs(xp) <= BOX_XP; }

Point grow(const Branch& b, double t, int n) {
    double k = std::pow(b.lambda, t);
    Point p = {t, b.fx + k * b.vx, b.fxp + k * b.vxp, true};
    for (int i = 0; i < n && p.in; i++) {
        if (b.forward) map_step(&p.x, &p.xp, b.d, b.s);
        else map_step_back(&p.x, &p.xp, b.d, b.s);
        p.in = inside(p.x, p.xp);
    }
    return p;
}

bool needs_split(const Branch& b, const Point& p, const Point& q) {
    if (!p.in || !q.in || !(q.t - p.t > 1e-15)) return false;
    double dx = q.x - p.x, dxp = q.xp - p.xp;
    if (std::hypot(dx, dxp) > COARSE) return true;
    if (std::hypot(dx * b.sx, dxp * b.sy) <= manifold_spacing_px) return false;
    // Refined to the pixel only where the segment may show.
    double c0 = view_px(b.view, std::min(p.x, q.x), b.w), c1 = view_px(b.view, std::max(p.x, q.x), b.w);
    double r0 = view_py(b.view, std::min(p.xp, q.xp), b.h), r1 = view_py(b.view, std::max(p.xp, q.xp), b.h);
    return c1 >= -2 && c0 <= b.w + 2 && r1 >= -2 && r0 <= b.h + 2;
}

void refine(const Branch& b, const Point& p, const Point& q, int n, int depth, std::vector<Point>* out) {
    if (depth > 48 || out->size() > MAX_POINTS || !needs_split(b, p, q)) return;
    Point m = grow(b, 0.5 * (p.t + q.t), n);
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
            for (Point& p : gen) {
                if (!p.in) continue;
                if (b.forward) map_step(&p.x, &p.xp, b.d, b.s);
                else map_step_back(&p.x, &p.xp, b.d, b.s);
                p.in = inside(p.x, p.xp);
            }
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
            double r = std::hypot(p.x - b.fx, p.xp - b.fxp);
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

void grow_manifolds(double phase, double d, const ViewWindow& v, int w, int h, Manifolds* out) {
    out->unstable.clear();
    out->stable.clear();
    FixedPoints f = fixed_points(phase, d);
    double left = 0, right = 0;
    const double s = std::cos(phase);  // sin(pi/2 + phase)
    const double c = std::cos(f.x_unstable);
    out->exists = d > 0 && w > 0 && h > 0 && separatrix_span(phase, &left, &right) && c > 0;
    out->x_fixed = f.x_unstable;
    if (!out->exists) {
        out->lambda = 1;
        return;
    }
    // The map linearised at (x_u, 0) has trace 2 + d^2 cos x_u and determinant 1.
    const double trace = 2 + d * d * c;
    const double lambda = 0.5 * (trace + std::sqrt(trace * trace - 4));
    out->lambda = lambda;
    const double reach = 0.5 * (right - left);
    // The seed segment's size: its linear error, of order its square, is
    // carried along the branch and shrinks across it.
    const double eps = 1e-4 * reach;
    Branch b;
    b.d = d;
    b.s = s;
    b.fx = f.x_unstable;
    b.fxp = 0;
    b.lambda = lambda;
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
