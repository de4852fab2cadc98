// The map's own bucket edge: the invariant manifolds of its unstable fixed
// point, grown in double precision. The continuum separatrix is only their
// d -> 0 limit; at a finite step the map shears the bucket by O(d), and where
// the two manifolds cross (the homoclinic tangle) the bucket's edge frays.
//
// The unstable manifold is what leaves the fixed point under the map, the
// stable one what leaves it under the inverse map (x <- x - d xp, then
// xp <- xp - d (sin x - sin sp)). Each has two branches, one on either side of
// the point; each branch is grown from a fundamental segment along its
// eigenvector, one image of the segment per cell, refined wherever its points
// lie further apart than a pixel or two of the view, so that it is dense at
// any zoom.
#pragma once
#include <vector>

#include "app/model/harmonic.h"
#include "app/model/view_window.h"

// One piece of a branch: (x, xp) pairs in phase space, in the order the
// branch grows away from the fixed point. A branch that leaves the region the
// map can reach ends its piece there.
struct ManifoldPiece {
    std::vector<double> xy;
};

struct Manifolds {
    bool exists;        // the map at d has a hyperbolic fixed point: d > 0 and a phase with a bucket
    double x_fixed;     // the (first) unstable fixed point (xp = 0)
    double lambda;      // the map's expanding eigenvalue there; 1 / lambda is the other
    std::vector<ManifoldPiece> unstable, stable;
};

// A second harmonic's term of the voltage, ratio sin(number x + psi); all 0: none.
struct ManifoldVoltage {
    double ratio, number, psi;  // psi in radians
};

// One cell of the map and its inverse, in double; s = sin(sp).
void map_step(double* x, double* xp, double d, double s, const ManifoldVoltage& v = {});
void map_step_back(double* x, double* xp, double d, double s, const ManifoldVoltage& v = {});

// Both manifolds of the map at step d and `phase` (radians), each branch grown
// once round the bucket and on until it comes back near the fixed point (the
// first lobes of the tangle where there is one), or until it leaves for good.
// Refined for a w x h picture of view v: in view, neighbouring points lie at
// most manifold_spacing_px apart.
// With a second harmonic, from every unstable point that bounds a bucket.
void grow_manifolds(double phase, double d, const ViewWindow& v, int w, int h, Manifolds* out,
                    const Harmonic& second = Harmonic());

const double manifold_spacing_px = 1.5;
