// The explorer's frames at the screen's size (1920 x 1080 under tools/with-xvfb.sh):
// a frame whose map is drawn against one that shows the kept map again, at
// d = 0.1; then frames per second while the step sweeps from d = 0.1 to 1 as
// the pointer would, with the preview off and on. Whole viewer frames: map,
// the physics overlays (all off, as by default, and all on: separatrix, 16
// orbits of 1000 cells, plot, status line), overlay, finish, swap, clear, pump.
// Run under an X display: tools/with-xvfb.sh build-linux/explorer_bench [frames]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/area_plot.h"
#include "app/bucket_status.h"
#include "app/map_space.h"
#include "app/map_view.h"
#include "app/orbits.h"
#include "app/overlay.h"
#include "app/physics.h"
#include "app/physics_overlay.h"
#include "app/status.h"
#include "app/stability_shader.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/graphics.h"

static double now_s() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct Bench {
    GLuint program;
    char *fragment_log, *link_log;
    Overlay overlay;
    MapView map;
    const float phase = map_phase_radians(-30);

    ViewerState state = viewer_state_make(-30, 100);
    BucketStatus bucket = bucket_status_make();
    Orbits orbits = {};
    AreaPlot plot = {};
    bool physics = false;  // the driver's physics calls, as it makes them

    void frame(float d, bool preview) {
        double now = timer();
        MapInputs in = {d, phase, 100, view_full(), graphics.width, graphics.height};
        map_view_frame(&map, program, in, preview, now);
        if (physics) {
            const int w = graphics.width, h = graphics.height;
            if (state.separatrix_shown) draw_separatrix(state.phase, state.view, w, h);
            orbits_draw(&orbits, state, w, h);
            if ((state.status_shown || state.plot_shown) && bucket_status_frame(&bucket, d, phase, 100, now))
                area_plot_add(&plot, phase, 100, d, bucket.figures.measured_area);
            if (state.plot_shown) area_plot_draw(plot, continuum_bucket_area(phase), d, w, h);
        }
        overlay_draw(&overlay, d, phase, fragment_log, link_log);
        if (physics) status_draw(state, map.progress, bucket);
        end_frame(0);
        pump_messages();
    }

    // Seconds per frame over `frames`, the step given per frame by `d_of`.
    template <typename F>
    double seconds_per_frame(int frames, bool preview, F d_of) {
        for (int i = 0; i < 2; i++) frame(d_of(i), preview);
        double t0 = now_s();
        for (int i = 0; i < frames; i++) frame(d_of(i), preview);
        return (now_s() - t0) / frames;
    }
};

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 20;
    if (!open_graphics(0, 0, "explorer bench")) return 1;
    Bench b;
    overlay_load_font();
    load_gl2_functions();
    b.program = build_fragment_program(stability_fragment_source, &b.fragment_log, &b.link_log);
    overlay_start(&b.overlay);
    b.map = map_view_make();
    printf("%d x %d, %s\n", graphics.width, graphics.height, (const char*)glGetString(GL_RENDERER));

    const float d = 0.1f, other = std::nextafter(d, 1.0f);  // a step apart: the map is drawn every frame
    double drawn = b.seconds_per_frame(frames, false, [&](int i) { return i % 2 ? other : d; });
    double reused = b.seconds_per_frame(frames * 5, false, [&](int) { return d; });
    printf("map drawn every frame, d = 0.1:   %8.2f ms\n", drawn * 1e3);
    printf("map reused, d = 0.1:              %8.2f ms   (%.1f %% of a drawn frame)\n", reused * 1e3,
           100 * reused / drawn);
    // The same two with the physics overlays' calls, everything switched off.
    b.physics = true;
    double drawn_off = b.seconds_per_frame(frames, false, [&](int i) { return i % 2 ? other : d; });
    double reused_off = b.seconds_per_frame(frames * 5, false, [&](int) { return d; });
    printf("  + physics calls, all off:       %8.2f ms drawn, %8.2f ms reused\n", drawn_off * 1e3, reused_off * 1e3);
    // All on: separatrix, 16 orbits of 1000 cells tracked, the plot and the
    // status line with its count done (d stays, so it is counted once).
    ViewerState& s = b.state;
    s.d = d;
    state_toggle_lock(&s);
    state_toggle_separatrix(&s);
    state_toggle_plot(&s);
    s.cells = 1000;
    for (int k = 0; k < viewer_max_orbits; k++) state_click(&s, 600 + 20 * k, 540, graphics.width, graphics.height, 0);
    s.cells = 100;
    for (int i = 0; i < 400 && !b.bucket.have; i++) b.frame(d, false);
    double reused_on = b.seconds_per_frame(frames * 5, false, [&](int) { return d; });
    printf("  + separatrix, 16 orbits, plot, status: %8.2f ms reused%s\n", reused_on * 1e3,
           b.bucket.have ? "" : " (count not done)");
    b.physics = false;

    // The pointer sweeping a fifth of the window: d from 0.1 to 1 and back.
    auto sweep = [&](int i) {
        double u = (double)(i % frames) / frames;
        return (float)(0.1 + 0.9 * (u < 0.5 ? 2 * u : 2 - 2 * u));
    };
    for (bool preview : {false, true}) {
        double s = b.seconds_per_frame(frames * 2, preview, sweep);
        printf("sweep d 0.1 .. 1, preview %-3s:     %8.1f frames/s%s\n", preview ? "on" : "off", 1 / s,
               preview ? (b.map.full_seconds / 4 <= 1.0 / 30 ? " (half resolution)" : " (quarter resolution)") : "");
    }
    return 0;
}
