// The continuum separatrix over the map, for any view window and target size:
// the pixels the curve passes through, one run of rows per column, in pure
// yellow, which the map never draws, with a small circle on the stable fixed
// point and a small cross on the unstable one. The viewer's S key and
// --render --separatrix draw it alike.
#pragma once
#include <vector>

#include "app/model/harmonic.h"
#include "app/model/view_window.h"
#include "app/overlays/overlay_draw.h"

const int fixed_point_mark = 4;  // pixels from a mark's centre to its rim or arm's end

struct PixelRun {
    int col;         // pixel column of a w x h picture, from the left
    int row0, row1;  // first and last row crossed, from the top
};

// The runs of a w x h picture of view v that the bucket's separatrix of
// `phase` (radians) crosses: in each column, the rows between the curve's
// extremes over that column's span of x, for either branch (one run where they
// meet). None where there is no bucket or the curve is out of view.
void separatrix_runs(double phase, const ViewWindow& v, int w, int h, std::vector<PixelRun>* out);
// The runs of one column whose curve spans lo .. hi in |xp| (both branches;
// one run through xp = 0 where lo is 0).
void separatrix_column_runs(int col, double lo, double hi, const ViewWindow& v, int h, std::vector<PixelRun>* out);

// The curve's runs and the fixed points for one phase, second harmonic, view
// and size, kept until one of them changes: the viewer draws it every frame.
struct Separatrix {
    std::vector<PixelRun> runs;
    double phase;
    ViewWindow view;
    int w, h;
    bool valid;
    Harmonic harmonic;                  // the second harmonic it was made for (off: the single-RF curve)
    std::vector<HarmonicPoint> points;  // the fixed points to mark
};

// The curve and the fixed points' marks over a w x h target whose window
// coordinates are set up (the viewer's window or an offscreen target).
// With a second harmonic on, its wells and every fixed point in [0, 2 pi]
// (harmonic_overlay.h).
void draw_separatrix(Separatrix* s, double phase, const ViewWindow& v, int w, int h,
                     const Harmonic& second = Harmonic());
