// The explorer's frames at the screen's size (1920 x 1080 under tools/with-xvfb.sh):
// a frame whose map is drawn against one that shows the kept map again, at
// d = 0.1; then frames per second while the step sweeps from d = 0.1 to 1 as
// the pointer would, with the preview off and on. Whole viewer frames, as the
// viewer draws them (viewer_frame): map, the physics overlays (all off, as by
// default, and all on: separatrix, 16 orbits of 1000 cells, plot, status
// line), overlay; then finish, swap, clear, pump.
// Run under an X display: tools/with-xvfb.sh build-linux/explorer_bench [frames]
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/render/map_count.h"
#include "app/viewer_frame.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

struct Bench {
    ViewerFrame f;
    ViewerState state = viewer_state_make(-30, 100);

    void frame(float d, bool preview) {
        state.d = d;
        state.preview = preview;
        viewer_frame(&f, &state, false, timer());
        end_frame(0);
        pump_messages();
    }

    // Seconds per frame over `frames`, the step given per frame by `d_of`.
    template <typename F>
    double seconds_per_frame(int frames, bool preview, F d_of) {
        for (int i = 0; i < 2; i++) frame(d_of(i), preview);
        double t0 = timer();
        for (int i = 0; i < frames; i++) frame(d_of(i), preview);
        return (timer() - t0) / frames;
    }
};

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 20;
    if (!open_graphics(0, 0, "explorer bench")) return 1;
    Bench b;
    viewer_frame_start(&b.f);
    printf("%d x %d, %s\n", graphics.width, graphics.height, (const char*)glGetString(GL_RENDERER));

    const float d = 0.1f, other = std::nextafter(d, 1.0f);  // a step apart: the map is drawn every frame
    double drawn = b.seconds_per_frame(frames, false, [&](int i) { return i % 2 ? other : d; });
    double reused = b.seconds_per_frame(frames * 5, false, [&](int) { return d; });
    printf("map drawn every frame, d = 0.1:   %8.2f ms\n", drawn * 1e3);
    printf("map reused, d = 0.1:              %8.2f ms   (%.1f %% of a drawn frame)\n", reused * 1e3,
           100 * reused / drawn);
    // All on: separatrix, 16 orbits of 1000 cells tracked, the plot and the
    // status line with its count done (d stays, so it is counted once).
    ViewerState& s = b.state;
    s.d = d;
    state_toggle_lock(&s);
    state_toggle_separatrix(&s);
    state_toggle_plot(&s);
    s.cells = 1000;
    for (int k = 0; k < viewer_max_orbits; k++) state_click(&s, 600 + 20 * k, 540, graphics.width, graphics.height);
    s.cells = 100;
    for (int i = 0; i < 400 && !b.f.bucket.have; i++) b.frame(d, false);
    double reused_on = b.seconds_per_frame(frames * 5, false, [&](int) { return d; });
    printf("  + separatrix, 16 orbits, plot, status: %8.2f ms reused%s\n", reused_on * 1e3,
           b.f.bucket.have ? "" : " (count not done)");
    s = viewer_state_make(-30, 100);  // all off again

    // The status line's area at 1000 cells: seconds from a change of d until
    // the figures show (the quarter second's rest included), counted on the
    // drawn map at the window's size, and as it was, on one core at 1024 x 1024.
    for (bool on_card : {true, false}) {
        for (int degrees : {-30, -80}) {
            ViewerState& t = b.state;
            t = viewer_state_make(degrees, 1000);
            t.status_shown = true;
            state_toggle_lock(&t);
            b.f.bucket = bucket_status_make();
            if (on_card) b.f.bucket.run = map_count_run;
            double t0 = timer();
            int frames_taken = 0;
            for (; !b.f.bucket.have && frames_taken < 100000; frames_taken++) b.frame(0.5f, false);
            printf("status area, phase %d, 1000 cells, d 0.5, %s: %6.2f s (%d frames), area %.4g\n", degrees,
                   on_card ? "drawn map at window size" : "CPU at 1024 x 1024  ", timer() - t0, frames_taken,
                   b.f.bucket.figures.measured_area);
        }
    }
    s = viewer_state_make(-30, 100);
    b.f.bucket = bucket_status_make();
    b.f.bucket.run = map_count_run;

    // The pointer sweeping a fifth of the window: d from 0.1 to 1 and back.
    auto sweep = [&](int i) {
        double u = (double)(i % frames) / frames;
        return (float)(0.1 + 0.9 * (u < 0.5 ? 2 * u : 2 - 2 * u));
    };
    for (bool preview : {false, true}) {
        double seconds = b.seconds_per_frame(frames * 2, preview, sweep);
        printf("sweep d 0.1 .. 1, preview %-3s:     %8.1f frames/s%s\n", preview ? "on" : "off", 1 / seconds,
               preview ? (b.f.map.full_seconds / 4 <= 1.0 / 30 ? " (half resolution)" : " (quarter resolution)") : "");
    }
    return 0;
}
