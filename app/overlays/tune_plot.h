// The T plot: the tune of every kept orbit that stayed against its amplitude
// (its largest |xp|), each in the orbit's colour; the small-amplitude limit
// acos(1 - d^2 |sin phase| / 2) as a grey line; and the continuum's tune
// 360 d / T(H) from the period integral, in yellow, which falls to 0 at the
// separatrix. The points leave the curve as d grows: the map's own tune
// spread. A framed box in the bottom-left corner, like the area plot.
#pragma once
#include <vector>

#include "app/overlays/orbits.h"

const int tune_plot_w = 380, tune_plot_h = 230;  // pixels, frame included
const int tune_plot_samples = 120;                // points along the continuum curve

struct TunePlot {
    float phase;
    // The continuum curve at d = 1, kept until the phase changes: its tune is proportional to d.
    std::vector<double> amplitude, tune;
    bool valid;
};

void tune_plot_draw(TunePlot* p, const Orbits& orbits, float phase, double d, int w, int h);
