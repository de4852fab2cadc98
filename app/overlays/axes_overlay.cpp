// The viewer's axes (see axes_overlay.h): the figure's own ticks and colour
// scale, drawn over the map rather than round it.
#include "app/overlays/axes_overlay.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/model/figure_layout.h"
#include "app/model/map_colours.h"
#include "app/overlays/overlay_draw.h"
#include "framework/draw/draw2d.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"

namespace {

const int TICK = 6;
const int BAR_W = 12;

// Kept inside the window's width: the end ticks' labels are centred on its edges.
void label(double x, double y, const char* text) {
    int w = text_width(text);
    x = std::max(2.0, std::min(x, (double)graphics.width - w - 2));
    shade_box(x - 2, y, w + 4, font_line_height, overlay_band_colour);
    draw_text_once((float)x, (float)y, 0, 0, text, 0xFFFFFF);
}

}  // namespace

void axes_draw(const ViewerState& s, const ViewWindow& v, int w, int h) {
    const int lh = font_line_height;
    const double base = h - lh - 4.0;  // above the status line's band
    std::vector<FigureTick> xt, pt, ct;
    figure_phase_ticks(v.x0, v.x1, "pi", &xt);
    figure_round_ticks(std::min(v.xp0, v.xp1), std::max(v.xp0, v.xp1), 6, &pt);
    const float maxit = state_maxit(s);
    const double top = h / 4.0, bar_h = h / 2.0, hi = std::max(2.0, (double)maxit);
    figure_count_ticks(hi, &ct);
    const double bar_x = w - BAR_W - TICK - 8 - text_width(std::to_string((long long)hi).c_str());
    auto bar_row = [&](double passes) { return top + (1 - std::log(passes) / std::log(hi)) * bar_h; };

    begin_overlay_pixels();
    glBegin(GL_LINES);
    for (const FigureTick& t : xt) {
        double px = std::floor(view_px(v, t.value, w)) + 0.5;
        line_vertices(px, base - TICK, px, base, 0xFFFFFF);
    }
    for (const FigureTick& t : pt) {
        double py = std::floor(view_py(v, t.value, h)) + 0.5;
        line_vertices(0, py, TICK, py, 0xFFFFFF);
    }
    for (const FigureTick& t : ct) {
        double py = std::floor(bar_row(t.value)) + 0.5;
        line_vertices(bar_x + BAR_W, py, bar_x + BAR_W + TICK, py, 0xFFFFFF);
    }
    glEnd();
    glBegin(GL_QUADS);  // the legend's bar, a row at a time; black below it: survived all
    for (int row = 0; row < (int)bar_h; row++)
        box_vertices(bar_x, top + row, BAR_W, 1,
                     map_program_colour(std::exp((1 - (row + 0.5) / bar_h) * std::log(hi)), maxit));
    box_vertices(bar_x, top + bar_h + 6, BAR_W, BAR_W, 0);
    glEnd();
    draw_box(bar_x - 0.5, top + bar_h + 5.5, BAR_W + 1, BAR_W + 1, 0xFFFFFF);
    end_overlay_pixels();

    for (const FigureTick& t : xt) label(std::floor(view_px(v, t.value, w)) - text_width(t.label.c_str()) / 2.0,
                                         base - TICK - lh - 2, t.label.c_str());
    for (const FigureTick& t : pt) label(TICK + 4, std::floor(view_py(v, t.value, h)) - lh / 2.0, t.label.c_str());
    for (const FigureTick& t : ct) label(bar_x + BAR_W + TICK + 2, std::floor(bar_row(t.value)) - lh / 2.0,
                                         t.label.c_str());
    label(std::min(bar_x, w - text_width("cells survived") - 4.0), top - lh - 4, "cells survived");
    label(bar_x + BAR_W + 4, top + bar_h + 6 + (BAR_W - lh) / 2.0, "all");
    label(w / 2.0 - text_width("phase x (rad)") / 2.0, base - TICK - 2 * lh - 6, "phase x (rad)");
    label(TICK + 4, h / 2.0 + lh, "xp");
}
