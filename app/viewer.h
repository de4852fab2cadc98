// The viewer's per-frame map: by default one window-sized quad run through the
// stability program, texture coordinates (0, 0) top-left to (1, 1)
// bottom-right (draw_stability_map); map_view.h has it for any view and size.
#pragma once
#include "app/map_view.h"
