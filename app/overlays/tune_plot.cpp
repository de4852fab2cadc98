// The tune plot (see tune_plot.h), drawn as the area plot is.
#include "app/overlays/tune_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/model/orbit_tune.h"
#include "app/model/physics.h"
#include "app/overlays/overlay_draw.h"
#include "app/overlays/plot_frame.h"
#include "app/overlays/ui_scale.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"

static const int LIMIT_COLOUR = 0xA0A0A0;

static void curve_of(TunePlot* p, float phase) {
    p->amplitude.clear();
    p->tune.clear();
    double half = continuum_half_height(phase);
    for (int i = 0; half > 0 && i <= tune_plot_samples; i++) {
        // Denser towards the separatrix, where the tune falls steeply.
        double u = (double)i / tune_plot_samples, a = half * (1 - (1 - u) * (1 - u));
        p->amplitude.push_back(a);
        p->tune.push_back(continuum_tune(phase, 1, a));
    }
    p->phase = phase;
    p->valid = true;
}

void tune_plot_draw(TunePlot* p, const Orbits& orbits, float phase, double d, int w, int h) {
    if (!p->valid || p->phase != phase) curve_of(p, phase);
    const double limit = synchrotron_tune(d, phase);
    double most_a = continuum_half_height(phase), most_t = std::isfinite(limit) ? limit : 0;
    for (int i = 0; i < orbits.count; i++) {
        const OrbitTune& t = orbits.tracks[i].tune;
        if (!t.survived) continue;
        most_a = std::max(most_a, t.amplitude);
        most_t = std::max(most_t, t.tune_degrees);
    }
    const PlotAxis x_axis = plot_axis(most_a * 1.05), y_axis = plot_axis(most_t * 1.1);
    const int k = ui_scale(h);
    const double line = (double)font_line_height * k;
    const double bx = 8 * k, by = h - tune_plot_h * k - line - 12 * k;  // above the status line
    const PlotFrame f = plot_frame(bx, by, tune_plot_w, tune_plot_h, k);
    const double left = f.left, right = f.right, top = f.top, bottom = f.bottom;
    auto px = [&](double a) { return left + (right - left) * a / x_axis.top; };
    auto py = [&](double t) { return bottom - (bottom - top) * t / y_axis.top; };

    plot_frame_draw(f);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    for (double a : plot_ticks(x_axis)) line_vertices(px(a), bottom, px(a), bottom + 4 * k, plot_axis_colour);
    for (double t : plot_ticks(y_axis)) line_vertices(left - 4 * k, py(t), left, py(t), plot_axis_colour);
    if (std::isfinite(limit)) line_vertices(left, py(limit), right, py(limit), LIMIT_COLOUR);
    glEnd();
    glBegin(GL_LINE_STRIP);
    for (size_t i = 0; i < p->amplitude.size(); i++)
        if (std::isfinite(p->tune[i])) point_vertex(px(p->amplitude[i]), py(d * p->tune[i]), separatrix_colour);
    glEnd();
    glBegin(GL_QUADS);
    for (int i = 0; i < orbits.count; i++) {
        const OrbitTune& t = orbits.tracks[i].tune;
        if (t.survived)
            box_vertices(px(t.amplitude) - 2 * k, py(t.tune_degrees) - 2 * k, 5 * k, 5 * k, orbit_colour(orbits.tracks[i].serial));
    }
    glEnd();
    end_overlay_pixels();

    auto width = [k](const char* text) { return (double)text_width(text) * k; };
    begin_ui_text(k);
    ui_text(k, bx + 8 * k, by + 6 * k, "tune (deg) against max |xp|", plot_axis_colour);
    ui_text(k, right - width("limit  continuum"), by + 6 * k, "limit", LIMIT_COLOUR);
    ui_text(k, right - width("continuum"), by + 6 * k, "continuum", separatrix_colour);
    char label[32];
    for (double a : plot_ticks(x_axis)) {
        snprintf(label, sizeof label, "%g", a);
        ui_text(k, px(a) - width(label) / 2.0, bottom + 5 * k, label, plot_axis_colour);
    }
    for (double t : plot_ticks(y_axis)) {
        snprintf(label, sizeof label, "%g", t);
        ui_text(k, left - 8 * k - width(label), py(t) - line / 2, label, plot_axis_colour);
    }
    end_ui_text();
}
