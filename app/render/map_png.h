// The map's pictures as PNG files that say how they were made: phase, d,
// cells, view and the program's version in text chunks. --render saves them,
// and so does the viewer's P key, alike.
#pragma once
#include <cstddef>
#include <string>

#include "app/model/harmonic.h"
#include "app/model/real_text.h"
#include "app/model/view_window.h"
#include "framework/window/png.h"


// Saves the w x h pixels at the top-left of the current read buffer (the
// window's back buffer or an offscreen target), written whole. True when the
// file was written. A second harmonic that is on adds its chunks: harmonic,
// ratio and "harmonic phase" (degrees).
bool save_map_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                  const ViewWindow& view, const Harmonic& second = Harmonic());

// The chunk of a picture drawn with +xp at the top (--render --flip, the viewer's V).
extern const PngText map_png_flipped;

// The same with more chunks after those (a figure's map rectangle, its orientation, its scale).
bool save_figure_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                     const ViewWindow& view, const PngText* more, int more_count,
                     const Harmonic& second = Harmonic());

// The first "tessaline-NNNN.png" (four digits or more) from number `from` on
// that names nothing in the working folder, into name; returns its number, or
// 0 when none up to 99999 is free or name is too short.
int next_picture_name(int from, char* name, size_t size);
