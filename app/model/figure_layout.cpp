// The figure's layout (see figure_layout.h). Margins are sized from the
// labels they hold, so the map gets all the rest that its aspect allows.
#include "app/model/figure_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/model/map_colours.h"

namespace {

const double PI = 3.141592653589793;
const int TICK = 5;  // pixels a tick stands out of the frame
const int PAD = 4;
const int BAR_W = 16;
const char* const X_TITLE = "phase x (rad)";
const char* const XP_TITLE = "xp";
const char* const LEGEND_TITLE = "cells survived";
const char* const SURVIVED = "all (bucket)";
const char* const OUTSIDE = "outside";

// Whole multiples of step inside [lo, hi], ends included up to rounding.
void multiples(double lo, double hi, double step, long long* first, long long* last) {
    *first = (long long)std::ceil(lo / step - 1e-9);
    *last = (long long)std::floor(hi / step + 1e-9);
}

std::string pi_label(long long k, int power, const char* pi) {
    if (k == 0) return "0";
    while (power > 0 && k % 2 == 0) {
        k /= 2;
        power--;
    }
    std::string s = k < 0 ? "-" : "";
    long long n = k < 0 ? -k : k;
    if (n != 1) s += std::to_string(n);
    s += pi;
    if (power > 0) s += "/" + std::to_string(1LL << power);
    return s;
}

std::string decimal_label(double v, double step) {
    int decimals = std::max(0, (int)-std::floor(std::log10(step) + 1e-9));
    char buf[48];
    snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string s = buf;
    if (s.find_first_not_of("-0.") == std::string::npos) s = "0";  // no "-0"
    return s;
}

int widest(const std::vector<FigureTick>& ticks, TextMeasure measure) {
    int w = 0;
    for (const FigureTick& t : ticks) w = std::max(w, measure(t.label.c_str()));
    return w;
}

}  // namespace

void figure_phase_ticks(double x0, double x1, const char* pi, std::vector<FigureTick>* out) {
    out->clear();
    for (int power = 1; power <= 12; power++) {
        double step = PI / (1LL << power);
        long long a, b;
        multiples(x0, x1, step, &a, &b);
        if (b - a + 1 < 3 && power < 12) continue;
        if (b - a + 1 < 2) break;  // narrower than pi/4096: plain decimals
        for (long long k = a; k <= b; k++) out->push_back({k * step, pi_label(k, power, pi)});
        return;
    }
    figure_round_ticks(x0, x1, 5, out);
}

void figure_round_ticks(double lo, double hi, int count, std::vector<FigureTick>* out) {
    out->clear();
    double raw = (hi - lo) / std::max(1, count);
    if (!(raw > 0)) return;
    double mag = std::pow(10.0, std::floor(std::log10(raw)));
    double r = raw / mag;
    double step = (r < 1.5 ? 1 : r < 3.5 ? 2 : r < 7.5 ? 5 : 10) * mag;
    long long a, b;
    multiples(lo, hi, step, &a, &b);
    for (long long k = a; k <= b && out->size() < 64; k++) out->push_back({k * step, decimal_label(k * step, step)});
}

void figure_count_ticks(double hi, std::vector<FigureTick>* out) {
    out->clear();
    std::vector<double> decades;
    for (double p = 1; p <= hi * (1 + 1e-12); p *= 10) decades.push_back(p);
    const double fill[] = {1, 2, 5};
    for (double p : decades)
        for (double f : fill)
            if ((f == 1 || decades.size() < 3) && p * f <= hi * (1 + 1e-12))
                out->push_back({p * f, std::to_string((long long)(p * f))});
}

FigureLayout figure_layout(const FigureParams& s, TextMeasure measure, int lh) {
    FigureLayout l = {};
    const ViewWindow& v = s.view;
    std::vector<FigureTick> xt, pt, ct;
    figure_phase_ticks(v.x0, v.x1, "pi", &xt);
    figure_round_ticks(v.xp0, v.xp1, 6, &pt);
    l.bar_lo = 1;
    l.bar_hi = std::max(2.0, (double)s.maxit);
    figure_count_ticks(l.bar_hi, &ct);
    const bool outside = s.scale == MAP_SCALE_LOG;

    int xp_labels = widest(pt, measure);
    int left = PAD + measure(XP_TITLE) + 2 * PAD + xp_labels + PAD + TICK;
    // The first and last phase labels are centred on the frame's corners.
    left = std::max(left, measure(xt.empty() ? "" : xt.front().label.c_str()) / 2 + PAD);
    int top = PAD + lh + 2 * PAD;
    int bottom = TICK + PAD + lh + PAD + lh + PAD;
    int legend = std::max({measure(LEGEND_TITLE), BAR_W + TICK + PAD + widest(ct, measure),
                           lh + PAD + measure(SURVIVED), outside ? lh + PAD + measure(OUTSIDE) : 0});
    int right = 3 * PAD + legend + PAD;
    int aw = s.width - left - right, ah = s.height - top - bottom;
    // The map keeps the aspect of the picture asked for: a figure of a view
    // looks like the bare picture of it, framed.
    int mw = aw, mh = (int)std::lround((double)aw * s.height / s.width);
    if (mh > ah) {
        mh = ah;
        mw = (int)std::lround((double)ah * s.width / s.height);
    }
    int swatches = outside ? 2 : 1;
    int bar_h = mh - (lh + PAD + lh / 2) - (swatches * (lh + PAD) + PAD + lh / 2);
    l.fits = mw >= 16 && mh >= 16 && bar_h >= 8;
    if (!l.fits) return l;
    int ox = (s.width - (left + mw + right)) / 2, oy = (s.height - (top + mh + bottom)) / 2;
    l.map = {ox + left, oy + top, mw, mh};
    const FigureRect& m = l.map;
    const double x_left = m.x - 0.5, x_right = m.x + m.w + 0.5, y_top = m.y - 0.5, y_bottom = m.y + m.h + 0.5;

    // The frame just outside the map, so that every pixel inside is the map's.
    l.lines.push_back({x_left, y_top, x_right, y_top});
    l.lines.push_back({x_right, y_top, x_right, y_bottom});
    l.lines.push_back({x_right, y_bottom, x_left, y_bottom});
    l.lines.push_back({x_left, y_bottom, x_left, y_top});
    for (const FigureTick& t : xt) {
        double px = std::min(m.x + m.w - 0.5, std::floor(figure_map_px(s, l, t.value)) + m.x + 0.5);
        l.lines.push_back({px, y_bottom, px, y_bottom + TICK});
        l.texts.push_back({px, y_bottom + TICK + PAD, FIGURE_CENTRE, t.label});
    }
    for (const FigureTick& t : pt) {
        double py = std::min(m.y + m.h - 0.5, std::floor(figure_map_py(s, l, t.value)) + m.y + 0.5);
        l.lines.push_back({x_left - TICK, py, x_left, py});
        l.texts.push_back({x_left - TICK - PAD, py - lh / 2.0, FIGURE_RIGHT, t.label});
    }
    l.texts.push_back({m.x + m.w / 2.0, y_bottom + TICK + 2 * PAD + lh, FIGURE_CENTRE, X_TITLE});
    l.texts.push_back({x_left - TICK - 3 * PAD - xp_labels, m.y + m.h / 2.0 - lh / 2.0, FIGURE_RIGHT, XP_TITLE});
    l.texts.push_back({m.x + m.w / 2.0, (double)m.y - 2 * PAD - lh, FIGURE_CENTRE, s.title});

    // The legend: title, the bar over log(cells) with its ticks, and the swatches.
    int lx = m.x + m.w + 3 * PAD;
    l.texts.push_back({(double)lx, (double)m.y, FIGURE_LEFT, LEGEND_TITLE});
    l.bar = {lx, m.y + lh + PAD + lh / 2, BAR_W, bar_h};
    for (const FigureTick& t : ct) {
        double py = l.bar.y + std::min(l.bar.h - 0.5, std::floor(figure_bar_row(l, t.value)) + 0.5);
        l.lines.push_back({lx + BAR_W + 0.0, py, lx + BAR_W + TICK + 0.0, py});
        l.texts.push_back({lx + BAR_W + TICK + PAD + 0.0, py - lh / 2.0, FIGURE_LEFT, t.label});
    }
    int sy = m.y + m.h - lh;
    l.survived = {lx, sy, lh, lh};
    l.texts.push_back({lx + lh + PAD + 0.0, (double)sy, FIGURE_LEFT, SURVIVED});
    if (outside) {
        l.outside = {lx, sy - lh - PAD, lh, lh};
        l.texts.push_back({lx + lh + PAD + 0.0, (double)l.outside.y, FIGURE_LEFT, OUTSIDE});
    }
    return l;
}

double figure_bar_passes(const FigureLayout& l, double row) {
    double f = 1 - row / l.bar.h;
    return std::exp(std::log(l.bar_lo) + f * (std::log(l.bar_hi) - std::log(l.bar_lo)));
}

double figure_bar_row(const FigureLayout& l, double passes) {
    double f = (std::log(passes) - std::log(l.bar_lo)) / (std::log(l.bar_hi) - std::log(l.bar_lo));
    return (1 - f) * l.bar.h;
}

double figure_map_px(const FigureParams& s, const FigureLayout& l, double x) { return view_px(s.view, x, l.map.w); }

double figure_map_py(const FigureParams& s, const FigureLayout& l, double xp) {
    double py = view_py(s.view, xp, l.map.h);
    return s.flip ? l.map.h - py : py;
}
