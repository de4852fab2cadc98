// The point under the pointer for the status line: its phase-space
// coordinates and how many cells a particle starting there survives, tracked
// on the CPU in float with the program's own arithmetic, so that the number
// is the one the pixel's colour shows.
#pragma once
#include <cstddef>

#include "app/model/viewer_state.h"

// "x 1.234  xp -0.5  leaves after 37 cells" (or "survives all 100 cells") for
// the pointer's last pixel in a w x h window; empty when the pointer is outside it.
// Above viewer_cells_cap cells only the coordinates: no count every frame.
void pointer_probe_text(const ViewerState& s, int w, int h, char* out, size_t size);
