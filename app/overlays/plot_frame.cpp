// The plots' shared frame (see plot_frame.h).
#include "app/overlays/plot_frame.h"

#include <cmath>

#include "app/overlays/overlay_draw.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"

PlotAxis plot_axis(double most) {
    if (!(most > 0) || !std::isfinite(most)) most = 1;
    double raw = most / 5, magnitude = std::pow(10.0, std::floor(std::log10(raw))), norm = raw / magnitude;
    double step = (norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10) * magnitude;
    return {std::ceil(most / step - 1e-9) * step, step};
}

PlotFrame plot_frame(double bx, double by, int w, int h, int k) {
    const double line = (double)font_line_height * k;
    return {bx, by, bx + 52 * k, bx + (double)w * k - 14 * k, by + line + 12 * k, by + (double)h * k - 2 * line - 12 * k,
            (double)w * k, (double)h * k, k};
}

void plot_frame_draw(const PlotFrame& f) {
    shade_box(f.bx, f.by, f.w, f.h, overlay_band_colour);
    begin_overlay_pixels();
    glBegin(GL_LINES);
    line_vertices(f.left, f.top, f.left, f.bottom, plot_axis_colour);
    line_vertices(f.left, f.bottom, f.right, f.bottom, plot_axis_colour);
    glEnd();
    end_overlay_pixels();
}

std::vector<double> plot_ticks(const PlotAxis& a) {
    std::vector<double> ticks;
    for (double v = 0; v <= a.top * (1 + 1e-9); v += a.step) ticks.push_back(std::fabs(v) < a.step / 2 ? 0.0 : v);
    return ticks;
}
