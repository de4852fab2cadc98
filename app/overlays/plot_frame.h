// What the viewer's small plots (area, tune) share: a round axis, the framed
// box on its dark band and the box's axes, laid out at the viewer's text scale.
#pragma once
#include <vector>

const int plot_axis_colour = 0xFFFFFF;

// An axis from 0 to a round top at or above `most`, with ticks `step` apart
// (1, 2 or 5 times a power of ten, four to ten of them).
struct PlotAxis {
    double top, step;
};
PlotAxis plot_axis(double most);
// A plot's box of w x h pixels at (bx, by) and, inside it, where its axes
// run: x from left to right along the bottom, y from bottom up to top.
struct PlotFrame {
    double bx, by, left, right, top, bottom;
    double w, h;  // the box in window pixels
    int k;        // the viewer's text scale (ui_scale)
};
// A box of w x h pixels of a 1080-row screen, k window pixels each, at (bx, by).
PlotFrame plot_frame(double bx, double by, int w, int h, int k);
// The box's band and its two axes.
void plot_frame_draw(const PlotFrame& f);
// The axis's tick values, 0 to its top, without rounding's near-zeros.
std::vector<double> plot_ticks(const PlotAxis& a);
