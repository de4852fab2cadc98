// The separatrix of the map with a second harmonic (see harmonic.h): the
// boundary xp = +-sqrt(2 (m - U)) of every well, rasterised in runs as the
// single-RF curve is; draw_separatrix draws them with every fixed point marked.
#pragma once
#include <vector>

#include "app/model/harmonic.h"
#include "app/overlays/physics_overlay.h"

// The runs of a w x h picture of view v that the wells' boundaries cross.
void harmonic_separatrix_runs(const Harmonic& second, double phase, const ViewWindow& v, int w, int h,
                              std::vector<PixelRun>* out);
