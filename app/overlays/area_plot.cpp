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

const int MEASURED_COLOUR = 0xFF8040, CURRENT_COLOUR = 0x808080;

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



void area_plot_draw(const AreaPlot& p, double continuum, double current_d, int w, int h) {
    // Laid out in pixels of a 1080-row screen, k window pixels each.
    const int k = ui_scale(h);
    const double line = (double)font_line_height * k;
    const double bx = w - area_plot_w * k - 8 * k, by = h - area_plot_h * k - line - 12 * k;  // above the status line
    const PlotFrame f = plot_frame(bx, by, area_plot_w, area_plot_h, k);
    const double left = f.left, right = f.right, top = f.top, bottom = f.bottom;
    auto text_at = [k](double x, double y, const char* text, int colour) { ui_text(k, x, y, text, colour); };
    auto width = [k](const char* text) { return (double)text_width(text) * k; };
    double most = continuum;
    for (int i = 0; i < p.count; i++) most = std::max(most, p.samples[i].area);
    const PlotAxis y_axis = plot_axis(most * 1.05);
    auto px = [&](double d) { return left + (right - left) * d / map_d_across; };
    auto py = [&](double a) { return bottom - (bottom - top) * a / y_axis.top; };

    plot_frame_draw(f);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    for (int i = 0; i <= (int)map_d_across; i++) line_vertices(px(i), bottom, px(i), bottom + 4 * k, plot_axis_colour);
    for (double a : plot_ticks(y_axis)) line_vertices(left - 4 * k, py(a), left, py(a), plot_axis_colour);
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
    text_at(bx + 8 * k, by + 6 * k, "bucket area against d", plot_axis_colour);
    text_at(right - width("measured  continuum"), by + 6 * k, "measured", MEASURED_COLOUR);
    text_at(right - width("continuum"), by + 6 * k, "continuum", separatrix_colour);
    char label[32];
    for (int i = 0; i <= (int)map_d_across; i++) {
        snprintf(label, sizeof label, "%d", i);
        text_at(px(i) - width(label) / 2.0, bottom + 5 * k, label, plot_axis_colour);
    }
    text_at((left + right - width("d")) / 2, bottom + 5 * k + line, "d", plot_axis_colour);
    for (double a : plot_ticks(y_axis)) {
        snprintf(label, sizeof label, "%g", a);
        text_at(left - 8 * k - width(label), py(a) - line / 2, label, plot_axis_colour);
    }
    end_ui_text();
}
