// The parts of a view that lie outside the map's phase range, 0 <= x <= 2 pi,
// in map_outside_colour: a particle starting there has already left, which
// the map's own colours would paint black, the colour of survival.
#pragma once
#include "app/model/view_window.h"

// Over the map's quad (x0, y0)-(x1, y1) in the current coordinates, which
// shows view v; nothing at all where v lies within the map.
void draw_map_outside(const ViewWindow& v, float x0, float y0, float x1, float y1);
