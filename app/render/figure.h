// Figures in GL: the map's pixels read back, recoloured and flipped on the
// CPU, put back one texel per pixel, and the layout's frame, ticks, texts and
// legend drawn round them in black on white.
#pragma once
#include <vector>

#include "app/model/figure_layout.h"

// An RGB picture, top row first, 3 bytes a pixel, rows packed.
struct RgbPicture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgb;
};

// The w x h rectangle with top-left (x, y), y down, of the current read buffer.
RgbPicture figure_read(int x, int y, int w, int h);
// A picture drawn one texel per pixel with its top-left at (x, y) in window coordinates.
void figure_put(const RgbPicture& p, int x, int y);
// Pixels drawn with the passes program recoloured on a scale (MapScale).
void figure_recolour(RgbPicture* p, int scale, float maxit);
// Top row to the bottom and back: +xp at the top.
void figure_flip(RgbPicture* p);
// White, then the layout round the map's rectangle (left as it is drawn
// after): frame, ticks, texts, legend bar and swatches.
void figure_draw_layout(const FigureParams& s, const FigureLayout& l);
