// Cost of the viewer's overlay (app/overlays/overlay.cpp) per frame in a 1280 x 800
// window, beside the same frame without it; plus measuring a text.
#include <benchmark/benchmark.h>

#include "app/model/map_space.h"
#include "app/overlays/overlay.h"
#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"

static bool open_window() {
    static int opened = -1;
    if (opened < 0) {
        graphics.windowed = true;
        opened = open_graphics(1280, 800, "text bench");
        if (opened) loadfont_data(embedded_font, embedded_font_size, "normal", false);
    }
    return opened == 1;
}

// Stands in for the map: one window-sized quad, as the viewer draws it.
static void draw_map_quad() {
    glBegin(GL_QUADS);
    glColor3ub(40, 20, 60);
    glVertex2i(0, 0);
    glVertex2i(graphics.width, 0);
    glVertex2i(graphics.width, graphics.height);
    glVertex2i(0, graphics.height);
    glEnd();
}

static const char* const fragment_log = "0:14(9): warning: unused variable `phase_step'";
static const char* const link_log = "Program linked; 3 uniforms active";

// The viewer's own overlay, as it draws it every frame.
static void draw_overlay(double d) {
    static Overlay overlay;
    static bool started = false;
    if (!started) {
        overlay_start(&overlay);
        started = true;
    }
    overlay_draw(&overlay, d, map_phase_radians(-30), fragment_log, link_log);
}

static void BM_FrameWithoutOverlay(benchmark::State& state) {
    if (!open_window()) return state.SkipWithError("no window");
    for (auto _ : state) {
        draw_map_quad();
        end_frame(0);
    }
}
BENCHMARK(BM_FrameWithoutOverlay)->Unit(benchmark::kMicrosecond);

static void BM_FrameWithOverlay(benchmark::State& state) {
    if (!open_window()) return state.SkipWithError("no window");
    double d = 0.3;
    for (auto _ : state) {
        draw_map_quad();
        draw_overlay(d);
        end_frame(0);
        d = d < 1.9 ? d + 0.001 : 0.3;
    }
}
BENCHMARK(BM_FrameWithOverlay)->Unit(benchmark::kMicrosecond);

// The overlay's GL calls alone, finished but not presented.
static void BM_OverlayOnly(benchmark::State& state) {
    if (!open_window()) return state.SkipWithError("no window");
    for (auto _ : state) {
        draw_overlay(0.7);
        glFinish();
    }
    glClear(GL_COLOR_BUFFER_BIT);
}
BENCHMARK(BM_OverlayOnly)->Unit(benchmark::kMicrosecond);

static void BM_TextWidth(benchmark::State& state) {
    if (!open_window()) return state.SkipWithError("no window");
    int sum = 0;
    for (auto _ : state) {
        sum += text_width("Synchrotron tune per cell = 12.3456 degrees");
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_TextWidth);

BENCHMARK_MAIN();
