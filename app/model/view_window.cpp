// View window arithmetic. Zoom keeps the aspect of the full map; the window
// never leaves it, because outside [0, 2 pi] every point is lost at once and
// the picture would only be black.
#include "app/model/view_window.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "app/model/map_space.h"

ViewWindow view_full() { return {map_x_min, map_x_max, map_xp_top, map_xp_bottom}; }

double view_s(double x) { return (x - map_x_min) / (map_x_max - map_x_min); }
double view_t(double xp) { return (xp - map_xp_top) / (map_xp_bottom - map_xp_top); }

double view_x_at(const ViewWindow& v, double px, int w) { return v.x0 + (v.x1 - v.x0) * px / w; }
double view_xp_at(const ViewWindow& v, double py, int h) { return v.xp0 + (v.xp1 - v.xp0) * py / h; }
double view_px(const ViewWindow& v, double x, int w) { return (x - v.x0) / (v.x1 - v.x0) * w; }
double view_py(const ViewWindow& v, double xp, int h) { return (xp - v.xp0) / (v.xp1 - v.xp0) * h; }

bool view_equal(const ViewWindow& a, const ViewWindow& b) {
    return a.x0 == b.x0 && a.x1 == b.x1 && a.xp0 == b.xp0 && a.xp1 == b.xp1;
}

double view_zoom(const ViewWindow& v) { return (map_x_max - map_x_min) / (v.x1 - v.x0); }

// One axis [a, b] moved back inside [lo, hi], no wider than it.
static void keep_inside(double* a, double* b, double lo, double hi) {
    double span = std::min(*b - *a, hi - lo);
    double start = std::min(std::max(*a, lo), hi - span);
    *a = start;
    *b = start + span;
}

static ViewWindow kept_inside(ViewWindow v) {
    keep_inside(&v.x0, &v.x1, map_x_min, map_x_max);
    keep_inside(&v.xp0, &v.xp1, map_xp_top, map_xp_bottom);
    return v;
}

ViewWindow view_zoomed(const ViewWindow& v, double factor, double px, double py, int w, int h) {
    if (w <= 0 || h <= 0 || !(factor > 0)) return v;
    factor = std::max(factor, 1 / view_zoom(v));  // not wider than the full map
    double x = view_x_at(v, px, w), xp = view_xp_at(v, py, h);
    ViewWindow z = {x - (x - v.x0) / factor, x + (v.x1 - x) / factor, xp - (xp - v.xp0) / factor,
                    xp + (v.xp1 - xp) / factor};
    return kept_inside(z);
}

ViewWindow view_panned(const ViewWindow& v, double dx, double dy, int w, int h) {
    if (w <= 0 || h <= 0) return v;
    double ux = dx * (v.x1 - v.x0) / w, uy = dy * (v.xp1 - v.xp0) / h;
    return kept_inside({v.x0 - ux, v.x1 - ux, v.xp0 - uy, v.xp1 - uy});
}

// Neighbouring pixels must lie at least 16 float roundings apart, so that the
// program's arithmetic moves a sample by a sixteenth of a pixel at most. The
// rounding of x = 2 pi s scales with |x|; that of xp = 6 t - 3 with 6 |t| + |xp|.
static bool step_resolvable(double span, int n, double scale) {
    return std::fabs(span) / std::max(n, 1) >= 16 * FLT_EPSILON * scale;
}

bool view_resolvable(const ViewWindow& v, int w, int h) {
    double x_scale = std::max(std::fabs(v.x0), std::fabs(v.x1));
    double xp_scale = 6 * std::max(std::fabs(view_t(v.xp0)), std::fabs(view_t(v.xp1))) +
                      std::max(std::fabs(v.xp0), std::fabs(v.xp1));
    return step_resolvable(v.x1 - v.x0, w, x_scale) && step_resolvable(v.xp1 - v.xp0, h, xp_scale);
}
