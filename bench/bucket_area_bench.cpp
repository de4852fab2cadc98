// Bucket area measured on a CPU map (survivors among the pixel centres, as
// the program draws them) against the continuum area, for a few phases and
// steps, single-RF and with a second harmonic, and the status line's bucket
// part for each, as the viewer shows it (its count is this one at 1024 x 1024).
// Usage: bucket_area_bench [pixels per side, default 1024]
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/model/harmonic.h"
#include "app/model/map_space.h"
#include "app/model/physics.h"
#include "app/overlays/status.h"

// One row: the count, the figures and the status line's words for them.
static void row(int n, int degrees, const Harmonic& second, float d, float cells) {
    // The viewer's own conversion: degrees times pi/180 in double, then float.
    float phase = map_phase_radians(degrees);
    auto t0 = std::chrono::steady_clock::now();
    BucketCount count;
    harmonic_count_start(&count, second, d, phase, cells, n, n);
    bucket_count_run(&count, LLONG_MAX);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    BucketFigures f =
        harmonic_bucket_figures(second, d, phase, bucket_count_area(count), bucket_count_half_height(count));
    char status[200], shape[48] = "-";
    status_bucket_text(f, nullptr, status, sizeof status);
    if (harmonic_on(second))
        snprintf(shape, sizeof shape, "%g %d %g", second.ratio, second.number, second.phase_degrees);
    printf("%7d %12s %5.2f %6.0f %11.5f %11.5f %8.5f %7.1f   %s\n", degrees, shape, d, cells, f.measured_area,
           f.continuum_area, f.ratio, seconds, status);
}

int main(int argc, char** argv) {
    int n = argc > 1 ? atoi(argv[1]) : 1024;
    if (n <= 0) {
        fprintf(stderr, "usage: bucket_area_bench [pixels per side]\n");
        return 2;
    }
    struct Run {
        float d, cells;
    };
    const Run runs[] = {{0.25f, 1000}, {0.5f, 1000}, {1.5f, 100}};
    printf("%d x %d pixel centres over 0..2pi x -3..3\n", n, n);
    printf("%7s %12s %5s %6s %11s %11s %8s %7s\n", "phase", "r h psi", "d", "cells", "measured", "continuum", "ratio",
           "seconds");
    for (int degrees : {-30, -60, -80})
        for (const Run& r : runs) row(n, degrees, Harmonic(), r.d, r.cells);
    struct Second {
        int degrees;
        Harmonic h;
    };
    const Second seconds[] = {{-60, {0.5, 2, 180}}, {-30, {0.5, 2, 180}}, {-60, {0.3, 3, 0}},
                              {-90, {0.5, 2, 0}},   {-45, {1.0, 4, 90}},  {-20, {1.0, 4, 90}}};
    for (const Second& s : seconds)
        for (const Run& r : runs) row(n, s.degrees, s.h, r.d, r.cells);
    return 0;
}
