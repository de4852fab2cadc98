// Cost of the viewer's overlay text per frame in a 1280 x 800 window: the
// frame-rate and tune texts and two log lines, each in its own bracket, beside
// the same frame without them; plus the bare draw_text layout and measuring.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

#include "framework/platform/gl.h"
#include "framework/text/font.h"
#include "framework/text/text.h"
#include "framework/window/graphics.h"

static bool open_window() {
    static int opened = -1;
    if (opened < 0) {
        graphics.windowed = true;
        opened = open_graphics(1280, 800, "text bench");
        if (opened) loadfont_data(embedded_font, 14555, "normal", false);
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

static void draw_overlay(double fps, double d) {
    char buf[96];
    int w2 = graphics.width / 2, h = font_line_height;
    snprintf(buf, sizeof buf, "%lg fps", fps);
    begin_text();
    draw_text((float)w2, (float)(2 * h), 0, 0, buf, 0xFFFFFF);
    end_text();
    begin_text();
    draw_text(0, 0, 0, 0, fragment_log, 0xFFFFFF);
    end_text();
    begin_text();
    draw_text((float)w2, 0, 0, 0, link_log, 0xFFFFFF);
    end_text();
    snprintf(buf, sizeof buf, "Synchrotron tune per cell = %lg degrees", acos(1 - d * d * 0.5) * 57.29577951308232);
    begin_text();
    draw_text(0, (float)(2 * h), 0, 0, buf, 0xFFFFFF);
    end_text();
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
        draw_overlay(60.0 + d, d);
        end_frame(0);
        d = d < 1.9 ? d + 0.001 : 0.3;
    }
}
BENCHMARK(BM_FrameWithOverlay)->Unit(benchmark::kMicrosecond);

// The overlay's GL calls alone, finished but not presented.
static void BM_OverlayOnly(benchmark::State& state) {
    if (!open_window()) return state.SkipWithError("no window");
    for (auto _ : state) {
        draw_overlay(59.94, 0.7);
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
