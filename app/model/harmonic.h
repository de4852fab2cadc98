// A second RF harmonic: a cavity at h times the main frequency adds
// r sin(h x + psi) to the voltage, so that one cell is
//   xp <- xp + d (sin x + r sin(h x + psi) - sin sp), then x <- x + d xp.
// Off (r = 0) the map and its theory are the single-RF ones of physics.h.
//
// Its continuum theory, one definition for every case: with
// U(x) = cos x + (r/h) cos(h x + psi) + x sin sp the flow conserves
// H = xp^2/2 + U(x), and a start stays in 0 <= x <= 2 pi for ever exactly when
// H < m(x) = min(max of U on [0, x], max of U on [x, 2 pi]). The wells are the
// runs of x where m(x) > U(x); the separatrix is xp = +-sqrt(2 (m - U)) over each.
#pragma once
#include <vector>

#include "app/model/physics.h"

const double harmonic_max_ratio = 2;
const int harmonic_min_number = 2, harmonic_max_number = 8;
const double harmonic_ratio_step = 0.05;  // R / Shift+R

struct Harmonic {
    double ratio = 0;          // r, 0 .. 2; 0: no second harmonic
    int number = 2;            // h, 2 .. 8
    double phase_degrees = 0;  // psi
};

inline bool harmonic_on(const Harmonic& h) { return h.ratio != 0; }
bool harmonic_equal(const Harmonic& a, const Harmonic& b);
// Brought into range: a ratio not finite or below 0 is 0 (off), above 2 is 2;
// the number is clamped to 2 .. 8; a phase not finite is 0.
Harmonic harmonic_clamped(Harmonic h);

// The program's uniforms (physics.h): the ratio, the number and psi in
// radians (converted as the accelerating phase is), as floats.
HarmonicUniforms harmonic_uniforms(const Harmonic& h);

// U(x) and its second derivative, for the accelerating phase in radians.
double harmonic_potential(const Harmonic& h, double phase, double x);
double harmonic_curvature(const Harmonic& h, double phase, double x);

// The fixed points in [0, 2 pi]: roots of sin x + r sin(h x + psi) = sin sp,
// stable where U has a minimum (U' rises through 0), unstable at a maximum.
struct HarmonicPoint {
    double x;
    bool stable;
};
std::vector<HarmonicPoint> harmonic_fixed_points(const Harmonic& h, double phase);

// One run of x where m(x) > U(x): the start a, the end b and the level m on it.
struct HarmonicWell {
    double a, b, level;
};
std::vector<HarmonicWell> harmonic_wells(const Harmonic& h, double phase);
// The separatrix's |xp| over a well at x (0 outside it).
double harmonic_separatrix_xp(const Harmonic& h, double phase, const HarmonicWell& w, double x);
// The integral of 2 min(sqrt(2 (m - U)), 3) over the wells: the continuum
// area inside the view's |xp| <= 3.
double harmonic_bucket_area(const Harmonic& h, double phase);

// The main stable point: the deepest below its level (largest m - U); false where none is.
bool harmonic_main_point(const Harmonic& h, double phase, double* x);
// Where U'' is this small against its terms (1 + r h) the bottom is flat and
// the tune is not stated. The program's float phase tilts an exactly flat
// bottom: at -90 degrees, r = 1/2, h = 2, psi = 0 it leaves U'' = 3e-5.
const double harmonic_flat_curvature = 1e-4;

// What the status line and --scan report (physics' bucket_figures when off).
// The tune is acos(1 - d^2 U''(x_s) / 2) at the main stable point; the bucket
// exists while 0 < d^2 U'' < 4 there (or U'' is flat, for d > 0); the
// half-height is sqrt(2 (m - U)) at that point.
BucketFigures harmonic_bucket_figures(const Harmonic& h, double d, double phase, double measured_area,
                                      double measured_half_height);

// physics' bucket count of the map with the second harmonic (the single-RF
// one when off), its centre column through the main stable point.
void harmonic_count_start(BucketCount* c, const Harmonic& h, float d, float phase, float maxit, int w, int rows);
