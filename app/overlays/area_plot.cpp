// The area plot (see area_plot.h): kept samples and their drawing with the
// framework's 2D primitives and text. d runs over the pointer's whole range.
#include "app/overlays/area_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/model/map_space.h"
#include "app/overlays/overlay_draw.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"

const int MEASURED_COLOUR = 0xFF8040, AXIS_COLOUR = 0xFFFFFF, CURRENT_COLOUR = 0x808080;

void area_plot_add(AreaPlot* p, float phase, float maxit, double d, double area, const Harmonic& second) {
    if (!std::isfinite(d) || !std::isfinite(area)) return;
    if (p->count > 0 && (p->phase != phase || p->maxit != maxit || !harmonic_equal(p->harmonic, second))) p->count = 0;
    p->harmonic = second;
    p->phase = phase;
    p->maxit = maxit;
    int at = (int)(std::lower_bound(p->samples, p->samples + p->count, d,
                                    [](const AreaSample& s, double v) { return s.d < v; }) -
                   p->samples);
    if (at < p->count && p->samples[at].d == d) {
        p->samples[at].area = area;
        return;
    }
    if (p->count == area_plot_max_samples) {
        // The neighbour nearer in d makes room: the new sample takes its place.
        int near = at == p->count || (at > 0 && d - p->samples[at - 1].d < p->samples[at].d - d) ? at - 1 : at;
        std::copy(p->samples + near + 1, p->samples + p->count, p->samples + near);
        p->count--;
        if (near < at) at--;
    }
    std::copy_backward(p->samples + at, p->samples + p->count, p->samples + p->count + 1);
    p->samples[at] = {d, area};
    p->count++;
}

PlotAxis plot_axis(double most) {
    if (!(most > 0) || !std::isfinite(most)) most = 1;
    double raw = most / 5, magnitude = std::pow(10.0, std::floor(std::log10(raw))), norm = raw / magnitude;
    double step = (norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10) * magnitude;
    return {std::ceil(most / step - 1e-9) * step, step};
}

PlotFrame plot_frame(double bx, double by, int w, int h) {
    const double line = font_line_height;
    return {bx, by, bx + 52, bx + w - 14, by + line + 12, by + h - 2 * line - 12};
}

void plot_frame_draw(const PlotFrame& f, int w, int h) {
    shade_box(f.bx, f.by, w, h, overlay_band_colour);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    line_vertices(f.left, f.top, f.left, f.bottom, AXIS_COLOUR);
    line_vertices(f.left, f.bottom, f.right, f.bottom, AXIS_COLOUR);
    glEnd();
    end_overlay_pixels();
}

std::vector<double> plot_ticks(const PlotAxis& a) {
    std::vector<double> ticks;
    for (double v = 0; v <= a.top * (1 + 1e-9); v += a.step) ticks.push_back(std::fabs(v) < a.step / 2 ? 0.0 : v);
    return ticks;
}

static void text_at(double x, double y, const char* text, int colour) { draw_text((float)x, (float)y, 0, 0, text, colour); }

void area_plot_draw(const AreaPlot& p, double continuum, double current_d, int w, int h) {
    const double line = font_line_height;
    const double bx = w - area_plot_w - 8, by = h - area_plot_h - line - 12;  // above the status line
    const PlotFrame f = plot_frame(bx, by, area_plot_w, area_plot_h);
    const double left = f.left, right = f.right, top = f.top, bottom = f.bottom;
    double most = continuum;
    for (int i = 0; i < p.count; i++) most = std::max(most, p.samples[i].area);
    const PlotAxis y_axis = plot_axis(most * 1.05);
    auto px = [&](double d) { return left + (right - left) * d / map_d_across; };
    auto py = [&](double a) { return bottom - (bottom - top) * a / y_axis.top; };

    plot_frame_draw(f, area_plot_w, area_plot_h);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    for (int k = 0; k <= (int)map_d_across; k++) line_vertices(px(k), bottom, px(k), bottom + 4, AXIS_COLOUR);
    for (double a : plot_ticks(y_axis)) line_vertices(left - 4, py(a), left, py(a), AXIS_COLOUR);
    if (current_d >= 0 && current_d <= map_d_across)
        line_vertices(px(current_d), top, px(current_d), bottom, CURRENT_COLOUR);
    if (continuum > 0) line_vertices(left, py(continuum), right, py(continuum), separatrix_colour);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < p.count; i++) point_vertex(px(p.samples[i].d), py(p.samples[i].area), MEASURED_COLOUR);
    glEnd();
    glBegin(GL_QUADS);
    for (int i = 0; i < p.count; i++)
        box_vertices(px(p.samples[i].d) - 1.5, py(p.samples[i].area) - 1.5, 3, 3, MEASURED_COLOUR);
    glEnd();
    end_overlay_pixels();

    // All texts in one bracket: the title row lies above every line drawn.
    begin_text();
    text_at(bx + 8, by + 6, "bucket area against d", AXIS_COLOUR);
    text_at(right - text_width("measured  continuum"), by + 6, "measured", MEASURED_COLOUR);
    text_at(right - text_width("continuum"), by + 6, "continuum", separatrix_colour);
    char label[32];
    for (int k = 0; k <= (int)map_d_across; k++) {
        snprintf(label, sizeof label, "%d", k);
        text_at(px(k) - text_width(label) / 2.0, bottom + 5, label, AXIS_COLOUR);
    }
    text_at((left + right - text_width("d")) / 2, bottom + 5 + line, "d", AXIS_COLOUR);
    for (double a : plot_ticks(y_axis)) {
        snprintf(label, sizeof label, "%g", a);
        text_at(left - 8 - text_width(label), py(a) - line / 2, label, AXIS_COLOUR);
    }
    end_text();
}
