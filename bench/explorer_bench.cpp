// The explorer's frames at the screen's size (1920 x 1080 under tools/with-xvfb.sh):
// a frame whose map is drawn against one that shows the kept map again, at
// d = 0.1; then frames per second while the step sweeps from d = 0.1 to 1 as
// the pointer would, with the preview off and on. Whole viewer frames: map,
// overlay, finish, swap, clear, pump.
// Run under an X display: tools/with-xvfb.sh build-linux/explorer_bench [frames]
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/map_view.h"
#include "app/overlay.h"
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
    const float phase = (float)(-30 * 0.017453292519943295);

    void frame(float d, bool preview) {
        MapInputs in = {d, phase, 100, view_full(), graphics.width, graphics.height};
        map_view_frame(&map, program, in, preview, timer());
        overlay_draw(&overlay, d, phase, fragment_log, link_log);
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
