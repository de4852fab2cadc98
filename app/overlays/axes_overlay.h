// Axes over the viewer's map (A): phase ticks at multiples of pi/2 along the
// bottom, round momentum ticks up the left edge and the colour legend (cells
// survived, log scale) at the right, each label on a dark band. The ticks
// follow the view as it zooms, pans and flips.
#pragma once
#include "app/model/viewer_state.h"

// Over a w x h window showing view v (as drawn: flipped when the state is).
void axes_draw(const ViewerState& s, const ViewWindow& v, int w, int h);
