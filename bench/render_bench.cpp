// --render against the bare shader loop, figures (--axes, log colours, SVG)
// against a bare --render, and the time of a scan, with no window: the
// offscreen context and target that the command line uses.
// Prints milliseconds and the ratio; asserts nothing.
// Run: build-linux/render_bench [frames [scan points [WxH]]]   (no display needed)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/model/cli.h"
#include "app/headless/headless.h"
#include "app/model/map_space.h"
#include "app/render/map_view.h"
#include "app/render/stability_shader.h"
#include "framework/shader/shader.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"
#include "framework/window/png.h"
#include "framework/window/screenshot.h"

static double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

template <typename F>
static double mean_ms(F f, int runs) {
    f();  // settle: first compile, first allocation
    double t0 = now_ms();
    for (int i = 0; i < runs; i++) f();
    return (now_ms() - t0) / runs;
}

static CliOptions parse(std::vector<const char*> args) {
    args.insert(args.begin(), "tessaline");
    CliOptions o;
    char message[300];
    if (!cli_parse((int)args.size(), args.data(), &o, message, sizeof message)) {
        fprintf(stderr, "render_bench: %s\n", message);
        exit(1);
    }
    return o;
}

int main(int argc, char** argv) {
    int frames = argc > 1 ? atoi(argv[1]) : 5;
    const char* points = argc > 2 ? argv[2] : "50";
    const char* size = argc > 3 ? argv[3] : "1920x1080";
    CliOptions render = parse({"--render", "render_bench.png", "--d", "0.1", "--phase", "-30", "--cells", "100",
                               "--size", size});
    const int w = render.width, h = render.height;
    const float phase = map_phase_radians(-30);

    char message[400];
    double t_context = now_ms();
    void* context = plat_create_offscreen_context(message, sizeof message);
    t_context = now_ms() - t_context;
    OffscreenTarget target;
    if (!context || !shaders_available() || !offscreen_open(&target, w, h, message, sizeof message)) {
        fprintf(stderr, "render_bench: %s\n", message);
        return 1;
    }
    printf("context: %s, %s\n", message, (const char*)glGetString(GL_RENDERER));
    double t_program = now_ms();
    GLuint program = build_fragment_program(stability_fragment_source, nullptr, nullptr);
    draw_stability_map(program, 0.1, phase, 1);  // the driver compiles its code for the program at the first draw
    glFinish();
    t_program = now_ms() - t_program;
    // The viewer's own quad and uniforms, and nothing else.
    double bare = mean_ms(
        [&] {
            draw_stability_map(program, 0.1, phase, 100);
            glFinish();
        },
        frames);
    std::vector<unsigned char> rows((size_t)(bmp_stride(w) * h));
    double readback = mean_ms([&] { read_pixel_rows(0, 0, w, h, GL_RGB, rows.data()); }, frames);
    double encode = mean_ms(
        [&] {
            size_t bytes = 0;
            free(png_encode(rows.data(), w, h, bmp_stride(w), true, nullptr, 0, &bytes));
        },
        frames);
    offscreen_close(&target);
    plat_release_offscreen_context(context);

    // The whole --render in-process: context, program, map, read-back, PNG, file.
    double full = mean_ms([&] { headless_run(render); }, frames);
    // Figures: the map read back and put again, the layout, the text; log colours add the CPU recolouring.
    const char* figures[][3] = {{"--render --axes", "render_bench.png", "program"},
                                {"--render --axes --colours log", "render_bench.png", "log"},
                                {"--render OUT.svg --axes", "render_bench.svg", "program"}};
    double figure_ms[3];
    for (int i = 0; i < 3; i++) {
        CliOptions f = parse({"--render", figures[i][1], "--axes", "--colours", figures[i][2], "--d", "0.1", "--phase",
                              "-30", "--cells", "100", "--size", size});
        figure_ms[i] = mean_ms([&] { headless_run(f); }, frames);
        remove(figures[i][1]);
    }
    remove("render_bench.png");
    printf("%dx%d, d = 0.1, mean of %d\n", w, h, frames);
    printf("%-34s %10.1f ms\n", "bare shader loop (draw + finish)", bare);
    printf("%-34s %10.1f ms\n", "  read-back", readback);
    printf("%-34s %10.1f ms\n", "  PNG encoding", encode);
    printf("%-34s %10.1f ms\n", "  context (first, once)", t_context);
    printf("%-34s %10.1f ms\n", "  program and first draw (once)", t_program);
    printf("%-34s %10.1f ms\n", "--render", full);
    printf("%-34s %10.3f\n", "--render / bare loop", full / bare);
    for (int i = 0; i < 3; i++)
        printf("%-34s %10.1f ms (%+.1f ms)\n", figures[i][0], figure_ms[i], figure_ms[i] - full);
    fflush(stdout);

    std::string range = std::string("0.1:4:") + points;
    CliOptions scan = parse({"--scan", range.c_str(), "--phase", "-30", "--cells", "100", "--size", size, "--csv",
                             "render_bench.csv"});
    double t0 = now_ms();
    int code = headless_run(scan);
    double scan_ms = now_ms() - t0;
    remove("render_bench.csv");
    printf("%-34s %10.1f ms (%s points, d 0.1 to 4, exit %d)\n", "--scan", scan_ms, points, code);
    return 0;
}
