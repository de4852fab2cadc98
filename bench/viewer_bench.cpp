// The cost of the framework around a drawn map, at 1280 x 800 for several
// steps d: the full-view quad (draw_stability_map, the map drawn afresh every
// frame) with the overlay and a whole
// frame ending (finish, swap, clear, pump), beside a bare loop that draws the
// same quad and only finishes and swaps. The viewer's own frames, which keep
// the map while nothing changes, are explorer_bench's. Prints milliseconds per
// frame and the ratio.
// Run under an X display: tools/with-xvfb.sh build-linux/viewer_bench
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "app/model/map_space.h"
#include "app/render/map_view.h"
#include "app/overlays/overlay.h"
#include "app/render/stability_shader.h"
#include "framework/shader/shader.h"
#include "framework/window/graphics.h"

static double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Median-free but steady: a few frames to settle, then the mean over `frames`.
template <typename F>
static double ms_per_frame(F frame, int frames) {
    for (int i = 0; i < 3; i++) frame();
    double t0 = now_ms();
    for (int i = 0; i < frames; i++) frame();
    return (now_ms() - t0) / frames;
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 20;
    graphics.windowed = true;
    if (!open_graphics(1280, 800, "viewer bench")) return 1;
    overlay_load_font();
    load_gl2_functions();
    char *fragment_log = nullptr, *link_log = nullptr;
    GLuint program = build_fragment_program(stability_fragment_source, &fragment_log, &link_log);
    const float phase = map_phase_radians(-30), maxit = 100;
    Overlay overlay;
    overlay_start(&overlay);
    printf("%-6s %14s %14s %10s\n", "d", "framed ms", "bare ms", "ratio");
    for (double d : {0.1, 0.5, 1.0, 2.0, 4.0}) {
        double framed = ms_per_frame(
            [&] {
                draw_stability_map(program, d, phase, maxit);
                overlay_draw(&overlay, d, phase, fragment_log, link_log);
                end_frame(0);
                pump_messages();
            },
            frames);
        double bare = ms_per_frame(
            [&] {
                draw_stability_map(program, d, phase, maxit);
                glFinish();
                plat_swap_buffers(graphics.hdc);
            },
            frames);
        printf("%-6g %14.2f %14.2f %10.3f\n", d, framed, bare, framed / bare);
        fflush(stdout);
    }
    return 0;
}
