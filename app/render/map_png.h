// The map's pictures as PNG files that say how they were made: phase, d,
// cells, view and the program's version in text chunks. --render saves them,
// and so does the viewer's P key, alike.
#pragma once
#include <cstddef>
#include <string>

#include "app/model/harmonic.h"
#include "app/model/view_window.h"

// Shortest text that reads back as the same double; "nan" for any NaN.
std::string real_text(double v);

// Saves the w x h pixels at the top-left of the current read buffer (the
// window's back buffer or an offscreen target), written whole. True when the
// file was written. A second harmonic that is on adds its chunks: harmonic,
// ratio and "harmonic phase" (degrees).
bool save_map_png(const char* filename, int w, int h, double phase_degrees, double d, int cells,
                  const ViewWindow& view, const Harmonic& second = Harmonic());

// The first "tessaline-NNNN.png" (four digits or more) from number `from` on
// that names nothing in the working folder, into name; returns its number, or
// 0 when none up to 99999 is free or name is too short.
int next_picture_name(int from, char* name, size_t size);
