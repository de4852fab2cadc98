// The map's invariant manifolds over the map (M, --render --manifolds): the
// unstable one in pure red, the stable one in pure cyan, colours the map never
// draws, as one-pixel lines clipped to the view. They are grown for the
// view's scale and kept, as window pixels, until the phase, d, the view or
// the size change, so a frame only hands the kept segments to GL.
#pragma once
#include <vector>

#include "app/model/manifolds.h"
#include "app/model/view_window.h"

const int unstable_manifold_colour = 0xFF0000;
const int stable_manifold_colour = 0x00FFFF;

struct ManifoldOverlay {
    Manifolds curves;
    std::vector<float> unstable_lines, stable_lines;  // segments as x, y pixel pairs, two vertices each
    float phase;
    double d;
    Harmonic second;
    ViewWindow view;
    int w, h;
    bool valid;
};

// The pieces as window-pixel segments of a w x h picture of view v: those that
// may cross it, neighbouring points merged where they lie within half a pixel.
void manifold_segments(const std::vector<ManifoldPiece>& pieces, const ViewWindow& v, int w, int h,
                       std::vector<float>* out);
// Both curves over a w x h target whose window coordinates are set up.
void draw_manifolds(ManifoldOverlay* o, float phase, double d, const ViewWindow& v, int w, int h,
                    const Harmonic& second = Harmonic());
