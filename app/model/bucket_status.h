// The bucket measured for the status line and the plot while either is shown:
// a CPU count of the full view's pixel centres with the program's own
// arithmetic (physics' BucketCount), begun once the map's inputs have rested
// and made a slice per frame within a time budget, so that the window keeps
// answering while a count of 1000 cells takes its second or two.
#pragma once
#include "app/model/harmonic.h"

struct BucketStatus {
    BucketCount count;      // under way, or done
    bool counting;          // count belongs to the current inputs
    float d, phase, maxit;  // the inputs last seen
    Harmonic harmonic;
    bool seen;
    double changed_at;      // clock seconds when they last changed
    bool have;              // figures holds the finished count of the current inputs
    BucketFigures figures;  // to show: the finished count's, or meanwhile the continuum's with the measured ones not a number
    double passes_per_second;  // the count's pace on this machine; 0 until a slice was timed
    double rest;            // seconds the inputs rest before a count begins (0.25)
    double budget;          // seconds of counting per frame (0.03)
    int side;               // pixels across and down the counted map without a runner (1024)
    // Counts the next slice of about the given passes and returns the passes
    // spent; null: on the CPU (bucket_count_run) at side x side. The viewer
    // sets one that counts the drawn map at the window's size (w x h).
    long long (*run)(BucketCount* count, long long passes);
    int w, h;
    float max_cells;        // no count above this many cells, where it would take hours (100000)
};

BucketStatus bucket_status_make();
// This frame's share of the count for the map's inputs, `now` the frame's
// clock reading; true when the count finished in it. Nothing above max_cells
// or where there is no bucket.
bool bucket_status_frame(BucketStatus* b, float d, float phase, float maxit, double now,
                         const Harmonic& second = Harmonic());
// Whether the figures for these inputs are final: counted, or nothing to count.
bool bucket_status_settled(const BucketStatus& b, float d, float phase, float maxit);
// Share of the count done, 0 .. 1 (0 while the inputs rest).
float bucket_status_progress(const BucketStatus& b);
