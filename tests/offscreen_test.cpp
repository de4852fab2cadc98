// Drawing with no window: offscreen contexts made with no X display at all
// (DISPLAY is removed before the first test; on Windows a hidden window),
// framebuffer targets read back pixel by pixel, and --render and --scan run
// in-process against the CPU reference of the map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/model/cli.h"
#include "app/headless/headless.h"
#include "app/render/map_png.h"
#include "app/model/map_space.h"
#include "app/render/map_view.h"
#include "app/model/physics.h"
#include "app/render/stability_shader.h"
#include "framework/platform/gl.h"
#include "framework/shader/shader.h"
#include "framework/window/caps.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"
#include "tests/support/files.h"
#include "tests/support/map_reference.h"
#include "tests/support/png_read.h"
#include "tests/support/test_window.h"

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// Linux must manage without any X server: no display for GLX to fall back on.
const bool display_removed = (unsetenv("DISPLAY"), true);
#endif

const float DEFAULT_PHASE = map_phase_radians(-30);

TEST(Offscreen, ContextTargetAndLimits) {
    char message[400];
    void* context = plat_create_offscreen_context(message, sizeof message);
    ASSERT_NE(context, nullptr) << message;
#ifdef _WIN32
    EXPECT_STREQ(message, "WGL on a hidden window");
#else
    EXPECT_STREQ(message, "EGL on Mesa's surfaceless platform");
#endif
    EXPECT_GE(gl_version(), 2.0f);
    // Window pixels, origin top-left, as on the screen.
    OffscreenTarget t;
    ASSERT_TRUE(offscreen_open(&t, 200, 120, message, sizeof message)) << message;
    EXPECT_EQ(graphics.width * 1000 + graphics.height, 200 * 1000 + 120);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glRecti(10, 20, 40, 60);  // x 10..39, y 20..59
    for (int x : {9, 10, 39, 40})
        for (int y : {19, 20, 59, 60}) {
            bool inside = x >= 10 && x < 40 && y >= 20 && y < 60;
            EXPECT_EQ(test_pixel(x, y), inside ? 0xFF0000u : 0x0000FFu) << x << "," << y;
        }
    offscreen_close(&t);
    // Beyond the driver's limit: refused, with the limit in the message.
    int max_w = 0, max_h = 0;
    offscreen_max_size(&max_w, &max_h);
    ASSERT_GE(max_w, 2048);
    EXPECT_FALSE(offscreen_open(&t, max_w + 1, 10, message, sizeof message));
    EXPECT_NE(std::string(message).find(std::to_string(max_w) + "x" + std::to_string(max_h)), std::string::npos);
    EXPECT_FALSE(offscreen_open(&t, 10, max_h + 1, message, sizeof message));
    EXPECT_FALSE(offscreen_open(&t, 0, 10, message, sizeof message));
    ASSERT_TRUE(offscreen_open(&t, max_w, 2, message, sizeof message)) << message;  // the widest still works
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(test_pixel(max_w - 1, 1), 0xFFFFFFu);
    offscreen_close(&t);
    plat_release_offscreen_context(context);
}

// Each new context fetches its own entry points: the map comes out right on both.
TEST(Offscreen, TwoContextsInTurnBothDrawTheMap) {
    const int w = 96, h = 60;
    for (int round = 0; round < 2; round++) {
        char message[400];
        void* context = plat_create_offscreen_context(message, sizeof message);
        ASSERT_NE(context, nullptr) << message;
        ASSERT_EQ(shaders_available(), 1);
        OffscreenTarget t;
        ASSERT_TRUE(offscreen_open(&t, w, h, message, sizeof message)) << message;
        draw_stability_map(build_fragment_program(stability_fragment_source, nullptr, nullptr), 1.5, DEFAULT_PHASE, 100);
        EXPECT_GE(map_agreement(test_read_picture(w, h), map_picture(w, h, 1.5f, DEFAULT_PHASE, 100)), 0.99);
        offscreen_close(&t);
        plat_release_offscreen_context(context);
    }
}

CliOptions options(std::vector<const char*> args) {
    args.insert(args.begin(), "tessaline");
    CliOptions o;
    char message[300];
    EXPECT_TRUE(cli_parse((int)args.size(), args.data(), &o, message, sizeof message)) << message;
    return o;
}

// --render and --scan in a scratch working folder holding a config.txt.
TEST(Headless, RenderAndScanAgainstTheReference) {
    ScratchFolder folder(true);
    const std::string config = "Max cells: 30\nAccelerating phase (degrees):-45\n";
    write_file("config.txt", config);
    const float phase = map_phase_radians(-45);

    ASSERT_EQ(headless_run(options({"--render", "map.png", "--d", "1.2", "--size", "160x100"})), CLI_EXIT_OK);
    TestPicture map = test_png_read("map.png");
    ASSERT_FALSE(map.rgb.empty()) << map.error;
    const int w = map.w, h = map.h;
    ASSERT_EQ(w * 1000 + h, 160 * 1000 + 100);
    // config.txt's phase and cells.
    EXPECT_GE(map_agreement(pack_rgb(map.rgb), map_picture(w, h, 1.2f, phase, 30)), 0.99);

    // The scan's middle row: its d, the black area of the reference, and the
    // physics the viewer's status line shows. A caller's pack state would put
    // the read-back megabytes past its buffer.
    headless_after_draw = test_scramble_pixel_store;
    int scanned = headless_run(options({"--scan", "0.5:1.5:3", "--size", "160x100", "--csv", "scan.csv"}));
    headless_after_draw = nullptr;
    ASSERT_EQ(scanned, CLI_EXIT_OK);
    std::istringstream csv(read_file("scan.csv"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(csv, line);)
        if (line[0] != '#') lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "d,measured_area,continuum_area,ratio,tune_degrees,measured_half_height,continuum_half_height");
    long black = 0;
    for (uint32_t p : map_picture(w, h, 1.0f, phase, 30)) black += p == 0;
    double area = 0, continuum = 0, ratio = 0, tune = 0;
    ASSERT_EQ(sscanf(lines[2].c_str(), "1,%lf,%lf,%lf,%lf", &area, &continuum, &ratio, &tune), 4) << lines[2];
    EXPECT_NEAR(area, black * 6.283185307179586 * 6 / (w * h), 0.01 * 6.283185307179586 * 6) << lines[2];
    EXPECT_EQ(continuum, continuum_bucket_area(phase));
    EXPECT_EQ(ratio, area / continuum);
    EXPECT_EQ(tune, synchrotron_tune(1.0, phase));

    EXPECT_EQ(headless_run(options({"--render", "missing/map.png", "--size", "32x20"})), CLI_EXIT_FAILED);
    EXPECT_EQ(headless_run(options({"--render", "wide.png", "--size", "40000x2"})), CLI_EXIT_FAILED);
    ASSERT_EQ(headless_run(options({"--render", "sep.png", "--size", "160x100", "--separatrix"})), CLI_EXIT_OK);
    TestPicture sep = test_png_read("sep.png");
    ASSERT_FALSE(sep.rgb.empty()) << sep.error;
    int yellow = 0;
    for (uint32_t p : pack_rgb(sep.rgb)) yellow += p == 0xFFFF00u;
    EXPECT_GT(yellow, 100);  // its place is held to a NumPy curve end to end
    EXPECT_EQ(read_file("config.txt"), config);  // read, never written
    EXPECT_EQ(sorted_names(folder.dir), (std::vector<std::string>{"config.txt", "map.png", "scan.csv", "sep.png"}));
}

// config.txt may ask for more cells than the program's float counter can
// count: the run draws with the viewer's limit, and records what was asked.
TEST(Headless, CellsFromConfigAreCappedAsInTheViewer) {
    ScratchFolder folder(true);
    write_file("config.txt", "Max cells to track: 2000000000\n");
    HeadlessParams p = headless_params(options({"--render", "x.png"}));
    EXPECT_EQ(p.cells, 2000000000);
    EXPECT_EQ(p.maxit, 16777215.0f);
    EXPECT_EQ(headless_params(options({"--render", "x.png", "--cells", "1000000"})).maxit, 1e6f);
}

// A map on which GL reported an error is not written.
TEST(Headless, GlErrorWritesNothing) {
    ScratchFolder folder(true);
    headless_after_draw = [] { glEnable(0x7FFF); };  // no such capability: GL_INVALID_ENUM
    testing::internal::CaptureStderr();
    int rendered = headless_run(options({"--render", "x.png", "--size", "32x20"}));
    int scanned = headless_run(options({"--scan", "0:1:3", "--size", "32x20", "--csv", "x.csv"}));
    std::string said = testing::internal::GetCapturedStderr();
    headless_after_draw = nullptr;
    EXPECT_EQ(rendered, CLI_EXIT_FAILED);
    EXPECT_EQ(scanned, CLI_EXIT_FAILED);
    EXPECT_EQ(said, "tessaline: OpenGL error 0x0500 while drawing the map; nothing written\n"
                    "tessaline: OpenGL error 0x0500 while drawing or reading back a map; nothing written\n");
    EXPECT_TRUE(fs::is_empty(folder.dir));
}

}  // namespace
