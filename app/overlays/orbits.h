// Orbits over the map: each start in the state's list tracked in float
// exactly as the program tracks it, again whenever its map changes, and its
// points drawn in the orbit's own colour over whatever view is shown.
#pragma once
#include <cstddef>
#include <vector>

#include "app/model/orbit_tune.h"
#include "app/model/viewer_state.h"

const int orbit_max_points = 100001;  // kept per orbit: the start and 100000 cells
const int orbit_point_size = 3;       // pixels across a drawn point

struct OrbitTrack {
    int serial;                 // the OrbitStart it belongs to
    float d, phase, maxit;      // the map it was tracked in
    HarmonicUniforms second;
    OrbitTune tune;
    int passes;                 // as track_start returns them: above maxit it stayed
    std::vector<float> points;  // (x, xp) pairs, the start first, one per pass after
};

struct Orbits {
    OrbitTrack tracks[viewer_max_orbits];  // in the state's order
    int count;
    // The points as window pixels, kept until the view, the size or the orbits change.
    std::vector<float> pixels;
    int firsts[viewer_max_orbits], lengths[viewer_max_orbits];  // each track's share of pixels, in points
    ViewWindow pixels_view;
    int pixels_w, pixels_h;
    bool pixels_valid;
};

// Colour of orbit `serial` (0xRRGGBB): sixteen in turn, so the kept orbits
// never share one; none is black, pure yellow or a colour the map draws.
int orbit_colour(int serial);

// Tracks the starts that are new or whose map changed, and forgets those the
// state no longer holds.
void orbits_sync(Orbits* o, const ViewerState& s);
// Each track's points that fall in view v of a w x h window, as pixel centres
// (x, y pairs); firsts and lengths say which belong to which track.
void orbits_to_pixels(Orbits* o, const ViewWindow& v, int w, int h);
// Syncs, converts to view v (as drawn) when needed and draws; nothing at all without orbits.
void orbits_draw(Orbits* o, const ViewerState& s, const ViewWindow& v, int w, int h);
// The last orbit's tune and amplitude for the status line; empty without orbits.
void orbit_tune_text(const Orbits& o, char* out, size_t size);
