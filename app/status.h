// The status line and the help panel, drawn over the map in the framework's
// own text, each on a dark band so that any map colour behind stays readable.
#pragma once
#include <cstddef>

#include "app/viewer_state.h"

// The status line: d (and its lock), phase, cells, the view window, the zoom
// and any warning; `progress` below 1 while a map is being drawn in parts.
void status_text(const ViewerState& s, float progress, char* out, size_t size);
// Drawn along the bottom of the window when the state shows it.
void status_draw(const ViewerState& s, float progress);
// Every key and what it does, in the middle of the window.
void help_draw();
