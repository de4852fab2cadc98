// A figure for a paper: the map in a frame with ticks, tick labels, axis
// titles, a title line and a colour legend, laid out in pixels of the whole
// figure (origin top-left, y down). Pure arithmetic over a text measure that
// the caller supplies, so that the PNG and the SVG figures share one layout.
#pragma once
#include <string>
#include <vector>

#include "app/model/view_window.h"

struct FigureParams {
    int width, height;  // the whole figure
    ViewWindow view;    // x0..x1 across; xp0..xp1, xp0 at the top unless flipped
    bool flip;          // +xp at the top
    int scale;          // MapScale of the map and the legend
    float maxit;        // the program's cell limit
    std::string title;
};

struct FigureRect {
    int x, y, w, h;
};

struct FigureLine {
    double x0, y0, x1, y1;
};

// One line of text; (x, y) is the anchor on the text's top edge.
enum { FIGURE_LEFT, FIGURE_CENTRE, FIGURE_RIGHT };
struct FigureText {
    double x, y;
    int anchor;
    std::string text;
};

struct FigureTick {
    double value;
    std::string label;
};

struct FigureLayout {
    bool fits;               // false: the figure is too small for its margins
    FigureRect map;          // the map's own pixels, one per pixel of a map of this size
    FigureRect bar;          // the legend's colour bar: bar_hi passes at its top row, bar_lo at its bottom
    double bar_lo, bar_hi;
    FigureRect survived;     // black: survived every cell
    FigureRect outside;      // the neutral colour of starts outside the map; w = 0 without one
    std::vector<FigureLine> lines;  // frame and ticks, one pixel wide, in black
    std::vector<FigureText> texts;  // tick labels, axis titles, title line, legend labels
};

using TextMeasure = int (*)(const char* text);  // pixels across

// Ticks at multiples of pi/2 inside [x0, x1] (pi/4, pi/8, ... where fewer
// than three would show; round decimals past that), labelled with `pi` as
// the name of pi: 0, pi/2, pi, 3pi/2, 2pi.
void figure_phase_ticks(double x0, double x1, const char* pi, std::vector<FigureTick>* out);
// Round ticks (1, 2 or 5 times a power of ten apart) inside [lo, hi], about `count` of them.
void figure_round_ticks(double lo, double hi, int count, std::vector<FigureTick>* out);
// The legend's ticks: powers of ten from 1 to hi (and 2 and 5 times them where few).
void figure_count_ticks(double hi, std::vector<FigureTick>* out);

FigureLayout figure_layout(const FigureParams& s, TextMeasure measure, int line_height);

// Passes shown at a fractional row of the bar (0 its top edge, bar.h its bottom): log scale.
double figure_bar_passes(const FigureLayout& l, double row);
// The bar's row (fractional, from its top edge) of a count.
double figure_bar_row(const FigureLayout& l, double passes);
// Row of the map rectangle's pixels (fractional, from its top) of a momentum deviation.
double figure_map_py(const FigureParams& s, const FigureLayout& l, double xp);
double figure_map_px(const FigureParams& s, const FigureLayout& l, double x);
