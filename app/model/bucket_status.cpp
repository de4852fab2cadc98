// The status line's bucket count (see bucket_status.h).
#include "app/model/bucket_status.h"

#include <cmath>

#include "framework/window/clock.h"

BucketStatus bucket_status_make() {
    BucketStatus b = {};
    b.rest = 0.25;
    b.budget = 0.03;
    b.side = 1024;
    b.max_cells = 100000;
    b.figures = bucket_figures(0, 0, NAN, NAN);
    return b;
}

// Nothing to count: counts past max_cells would take hours, and at d = 0
// nothing moves (the status line says so). Survivors are counted wherever
// points move, bucket or islands.
static bool nothing_to_count(const BucketStatus& b, float d, float maxit) { return maxit > b.max_cells || d == 0; }

bool bucket_status_frame(BucketStatus* b, float d, float phase, float maxit, double now, const Harmonic& second) {
    int w = b->run ? b->w : b->side, h = b->run ? b->h : b->side;
    if (!b->seen || d != b->d || phase != b->phase || maxit != b->maxit || !harmonic_equal(second, b->harmonic) ||
        (b->counting && (w != b->count.w || h != b->count.h))) {
        b->harmonic = second;
        b->d = d;
        b->phase = phase;
        b->maxit = maxit;
        b->seen = true;
        b->changed_at = now;
        b->counting = false;
        b->have = false;
        b->figures = harmonic_bucket_figures(second, d, phase, NAN, NAN);  // the continuum's, once per change
    }
    if (b->have || now - b->changed_at < b->rest || nothing_to_count(*b, d, maxit)) return false;
    if (!b->counting) {
        harmonic_count_start(&b->count, second, d, phase, maxit, w, h);
        b->counting = true;
    }
    // Until the pace is known, slices double from a small one until one takes
    // long enough to time (a fast machine makes 100000 passes in well under a
    // millisecond); then each frame fills the budget at that pace.
    long long (*run)(BucketCount*, long long) = b->run ? b->run : bucket_count_run;
    double t0 = timer(), took = 0;
    long long spent = 0;
    if (b->passes_per_second > 0) {
        spent = run(&b->count, (long long)(b->passes_per_second * b->budget));
        took = timer() - t0;
    } else {
        for (long long slice = 100000; !bucket_count_done(b->count) && took <= 1e-3; slice *= 2) {
            spent += run(&b->count, slice);
            took = timer() - t0;
        }
    }
    if (took > 1e-3) b->passes_per_second = spent / took;
    if (!bucket_count_done(b->count)) return false;
    b->figures = harmonic_bucket_figures(second, d, phase, bucket_count_area(b->count),
                                         bucket_count_half_height(b->count));
    b->have = true;
    return true;
}

bool bucket_status_settled(const BucketStatus& b, float d, float phase, float maxit) {
    return b.seen && d == b.d && phase == b.phase && maxit == b.maxit &&
           (b.have || nothing_to_count(b, d, maxit));
}

float bucket_status_progress(const BucketStatus& b) {
    return b.have ? 1.0f : b.counting ? bucket_count_progress(b.count) : 0.0f;
}
