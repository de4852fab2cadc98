// The area plot (see area_plot.h): kept samples and their drawing with the
// framework's 2D primitives and text. d runs over the pointer's whole range.
#include "app/overlays/area_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/model/map_space.h"
#include "app/overlays/overlay_draw.h"
#include "app/overlays/ui_scale.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"

const int MEASURED_COLOUR = 0xFF8040, AXIS_COLOUR = 0xFFFFFF, CURRENT_COLOUR = 0x808080;

void area_plot_add(AreaPlot* p, float phase, float maxit, double d, double area) {
    if (!std::isfinite(d) || !std::isfinite(area)) return;
    if (p->count > 0 && (p->phase != phase || p->maxit != maxit)) p->count = 0;
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

void area_plot_draw(const AreaPlot& p, double continuum, double current_d, int w, int h) {
    // Laid out in pixels of a 1080-row screen, k window pixels each.
    const int k = ui_scale(h);
    const double line = (double)font_line_height * k, pw = area_plot_w * k, ph = area_plot_h * k;
    const double bx = w - pw - 8 * k, by = h - ph - line - 12 * k;  // above the status line
    const double left = bx + 52 * k, right = bx + pw - 14 * k, top = by + line + 12 * k,
                 bottom = by + ph - 2 * line - 12 * k;
    auto text_at = [k](double x, double y, const char* text, int colour) { ui_text(k, x, y, text, colour); };
    auto width = [k](const char* text) { return (double)text_width(text) * k; };
    double most = continuum;
    for (int i = 0; i < p.count; i++) most = std::max(most, p.samples[i].area);
    const PlotAxis y_axis = plot_axis(most * 1.05);
    auto px = [&](double d) { return left + (right - left) * d / map_d_across; };
    auto py = [&](double a) { return bottom - (bottom - top) * a / y_axis.top; };

    shade_box(bx, by, pw, ph, overlay_band_colour);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    line_vertices(left, top, left, bottom, AXIS_COLOUR);
    line_vertices(left, bottom, right, bottom, AXIS_COLOUR);
    for (int i = 0; i <= (int)map_d_across; i++) line_vertices(px(i), bottom, px(i), bottom + 4 * k, AXIS_COLOUR);
    for (double a = 0; a <= y_axis.top * (1 + 1e-9); a += y_axis.step)
        line_vertices(left - 4 * k, py(a), left, py(a), AXIS_COLOUR);
    if (current_d >= 0 && current_d <= map_d_across)
        line_vertices(px(current_d), top, px(current_d), bottom, CURRENT_COLOUR);
    if (continuum > 0) line_vertices(left, py(continuum), right, py(continuum), separatrix_colour);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < p.count; i++) point_vertex(px(p.samples[i].d), py(p.samples[i].area), MEASURED_COLOUR);
    glEnd();
    glBegin(GL_QUADS);
    for (int i = 0; i < p.count; i++)
        box_vertices(px(p.samples[i].d) - 1.5 * k, py(p.samples[i].area) - 1.5 * k, 3 * k, 3 * k, MEASURED_COLOUR);
    glEnd();
    end_overlay_pixels();

    // All texts in one bracket: the title row lies above every line drawn.
    begin_ui_text(k);
    text_at(bx + 8 * k, by + 6 * k, "bucket area against d", AXIS_COLOUR);
    text_at(right - width("measured  continuum"), by + 6 * k, "measured", MEASURED_COLOUR);
    text_at(right - width("continuum"), by + 6 * k, "continuum", separatrix_colour);
    char label[32];
    for (int i = 0; i <= (int)map_d_across; i++) {
        snprintf(label, sizeof label, "%d", i);
        text_at(px(i) - width(label) / 2.0, bottom + 5 * k, label, AXIS_COLOUR);
    }
    text_at((left + right - width("d")) / 2, bottom + 5 * k + line, "d", AXIS_COLOUR);
    for (double a = 0; a <= y_axis.top * (1 + 1e-9); a += y_axis.step) {
        snprintf(label, sizeof label, "%g", std::fabs(a) < y_axis.step / 2 ? 0.0 : a);
        text_at(left - 8 * k - width(label), py(a) - line / 2, label, AXIS_COLOUR);
    }
    end_ui_text();
}
