// The stability map's physics without any GL: fixed points and their
// stability, the bucket's separatrix, area and height in the continuum limit,
// and one start point tracked in float exactly as the fragment program does.
// Coordinates are the map's: x the phase (0 to 2 pi), xp the momentum
// deviation; phases in radians, sp = pi/2 + phase the synchronous phase.
//
// The map sees the phase only through sin(sp): phases p and -p draw the same
// picture. Continuum limit (small d): H = xp^2/2 + cos x + x sin(sp) is
// conserved and the separatrix is its level through the unstable fixed point.
#pragma once
#include <vector>

// The fixed points at xp = 0 (sin x = sin sp), both in [0, 2 pi]. Where
// sin sp = +-1 they merge into one point and there is no bucket; a phase that
// is not a number gives positions that are not numbers.
struct FixedPoints {
    double x_stable;       // the bucket's centre: cos x < 0
    double x_unstable;     // the separatrix's corner: cos x > 0; on the bucket's side of 2 pi
    bool discrete_stable;  // the map at step d keeps points near x_stable: 0 < d^2 |cos sp| < 4
};

FixedPoints fixed_points(double phase, double d);
// Whether the map at step d has a bucket at all (linear stability of its centre).
bool bucket_exists(double d, double phase);

// Small-amplitude phase advance per cell in degrees, from the trace of the map
// linearised at its stable point: cos mu = 1 - d^2 |cos sp| / 2. Not a number
// beyond the stability limit.
double synchrotron_tune(double d, double phase);
// The step beyond which the map has no bucket, 2 / sqrt|cos sp|; 0 where
// there is none at any step.
double stability_limit_d(double phase);

// Area of the continuum bucket (independent of d); 0 where there is none.
double continuum_bucket_area(double phase);
// Half the bucket's height, reached above and below the stable point; 0 where there is none.
double continuum_half_height(double phase);
// The separatrix's extent along x: the unstable point and the far turning
// point, left one first. False (and nothing written) where there is no bucket.
bool separatrix_span(double phase, double* x_left, double* x_right);
// The separatrix's |xp| at x: 1 with *xp set inside the span (the curve is
// +-*xp there), 0 outside it or where there is no bucket.
int separatrix_xp(double phase, double x, double* xp);

// The program's pi: its literal rounded to float.
const float program_pi = 3.14159265358979323846264f;

// The start point the program takes at texture coordinates (s, t), in its own
// float arithmetic: x = s pi 2, xp = t 6 - 3.
struct StartPoint {
    float x, xp;
};
StartPoint program_start(float s, float t);

// A second harmonic as the program takes it (see harmonic.h): the cell adds
// ratio sin(number x + phase) to the voltage; ratio 0 is none.
struct HarmonicUniforms {
    float ratio, number, phase;
};
inline bool harmonic_uniforms_equal(const HarmonicUniforms& a, const HarmonicUniforms& b) {
    return a.ratio == b.ratio && a.number == b.number && a.phase == b.phase;
}

// Tracks one start point through the cells in float with the program's order
// of operations and returns the passes made: above maxit means it survived,
// so the pixel is black. With points, keeps (x, xp) pairs, the start first and
// then one per pass, at most max_points pairs (2 * max_points floats); the
// number kept is min(passes + 1, max_points). A particle still inside when the
// float counter stops counting (2^24 passes, only with a larger maxit; the
// program would then never end) returns INT_MAX.
// With a second harmonic (ratio not 0), its term is added as the second
// harmonic's program adds it.
int track_start(float x, float xp, float d, float phase, float maxit, float* points, int max_points,
                const HarmonicUniforms* second = nullptr);

// Bucket area measured as the program draws it: survivors among the pixel
// centres of a w x h map over the full view, times the area of one pixel.
double measured_bucket_area(float d, float phase, float maxit, int w, int h);

// The same count made a slice at a time, so that a window can go on drawing
// between slices; it also keeps the column through the stable point, whose
// black run across xp = 0 gives the bucket's measured half-height.
struct BucketCount {
    float d, phase, maxit;
    int w, h;
    long long next;                   // next pixel, row by row from the top-left
    long long survivors;
    int centre_col;                   // the column holding the stable point; -1 where it falls outside
    std::vector<unsigned char> centre;  // 1 where that column's pixel survived, top row first
    HarmonicUniforms second;          // ratio 0: none (harmonic_count_start sets one)
};
void bucket_count_start(BucketCount* c, float d, float phase, float maxit, int w, int h);
// Tracks pixels until at least `passes` passes are spent (one pixel at the
// least) or the map is done; returns the passes spent.
long long bucket_count_run(BucketCount* c, long long passes);
bool bucket_count_done(const BucketCount& c);
float bucket_count_progress(const BucketCount& c);  // 0 .. 1
// Both final once done: the black area, and half the height of the black run
// of the centre column that crosses xp = 0 (0 where none does).
double bucket_count_area(const BucketCount& c);
double bucket_count_half_height(const BucketCount& c);

// What the status line and --scan report for one map: measured against
// continuum, from one function so that the two always agree. The measured
// area is the survivors' wherever there are any: past the stability limit
// the centre is unstable and they are islands, not a bucket. The measured
// half-height, through the centre, is not a number where there is no bucket.
struct BucketFigures {
    double d;                       // the step measured
    bool exists;                    // the map at d has a bucket
    double measured_area;           // black pixels of the full view times one pixel's area, bucket or not
    double continuum_area;          // 0 where there is none
    double ratio;                   // measured / continuum; not a number where either has none
    double measured_half_height;
    double continuum_half_height;
    double tune_degrees;            // synchrotron_tune
    double limit_d;                 // stability_limit_d
    bool flat_bottom;               // U'' = 0 at the centre (a second harmonic's): no tune
};
BucketFigures bucket_figures(double d, double phase, double measured_area, double measured_half_height);
// The same count on a rendered map read back: black pixels (red, green and
// blue all 0, alpha ignored) of w x h RGBA bytes, rows stride bytes apart.
// 0 for a null buffer, an empty size or a stride shorter than a row.
double bucket_area_from_rgba(const unsigned char* rgba, int w, int h, int stride);
// Half the black run across xp = 0 in the stable point's column of such a map
// of the full view (rows in either order); 0 where there is none.
double bucket_half_height_from_rgba(const unsigned char* rgba, int w, int h, int stride, float d, float phase);
