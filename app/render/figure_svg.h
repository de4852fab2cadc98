// The figure as an SVG document: the map's pixels as an embedded PNG, the
// frame, ticks, texts and legend as SVG lines, text and rectangles, and the
// overlays as paths in phase-space coordinates under one transform, so that
// the document scales cleanly and converts to PDF.
#pragma once
#include <string>
#include <vector>

#include "app/model/figure_layout.h"
#include "app/render/figure.h"

struct SvgOverlays {
    bool separatrix;
    double phase;                             // radians
    int separatrix_colour;
    std::vector<std::vector<float>> orbits;   // each orbit's (x, xp) points
    std::vector<int> orbit_colours;
};

// The document; false when the map's PNG cannot be made. Texts name pi by its glyph.
bool figure_svg(const FigureParams& s, const FigureLayout& l, const RgbPicture& map, const SvgOverlays& o,
                int line_height, std::string* out);
