// The G plot: the measured bucket area against d, a point for every map
// measured while it is on, with the continuum area A(phase) as a line, in a
// small framed box in the bottom-right corner, axes with numbers.
#pragma once
#include "app/model/harmonic.h"
#include "app/overlays/plot_frame.h"

const int area_plot_max_samples = 512;
const int area_plot_w = 380, area_plot_h = 230;  // pixels, frame included

struct AreaSample {
    double d, area;
};

struct AreaPlot {
    float phase, maxit;  // what the samples belong to
    Harmonic harmonic;
    AreaSample samples[area_plot_max_samples];  // d increasing
    int count;
};

// A measured area at step d. Samples of another phase, cell count or second
// harmonic are dropped first; one at the same d is replaced; when full, the sample nearest
// in d gives way.
void area_plot_add(AreaPlot* p, float phase, float maxit, double d, double area,
                   const Harmonic& second = Harmonic());

// The box, axes, ticks and numbers, the continuum line (when there is a
// bucket), the samples and a mark at the current d, for a w x h window.
void area_plot_draw(const AreaPlot& p, double continuum, double current_d, int w, int h);
