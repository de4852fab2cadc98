// An orbit's tune and amplitude, and the continuum's tune against amplitude.
// The tune is the mean turn per cell around the stable fixed point, in
// degrees: the total clockwise angle (in x across, xp up) that the orbit turns
// through about (x_s, 0), over the cells tracked. The amplitude is the orbit's
// largest |xp|, which the continuum reaches over the stable point.
#pragma once
#include <cmath>

struct OrbitTune {
    bool survived;        // stayed for every cell: only then is the tune measured
    double tune_degrees;  // not a number when it was lost
    double amplitude;     // largest |xp| of the points tracked
    int cells;            // passes made
};

// From the (x, xp) pairs that track_start keeps (count of them, the start
// first) and the passes it returned, for the map's `phase` (radians), d and
// maxit; about the stable point at `centre` where one is given (a second
// harmonic moves it), else the single-RF map's.
OrbitTune orbit_tune(const float* points, int count, int passes, float maxit, double phase, double d,
                     double centre = NAN);

// The continuum's tune at this amplitude, 360 d / T(H) degrees per cell, with
// T(H) the period integral of dx / xp round the level H = A^2/2 + V(x_s) of
// H = xp^2/2 + cos x + x sin sp. Falls to 0 at the separatrix's half-height;
// not a number beyond it, at a negative amplitude or where there is no bucket.
double continuum_tune(double phase, double d, double amplitude);
