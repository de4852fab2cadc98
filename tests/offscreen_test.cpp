// Drawing with no window: offscreen contexts made with no X display at all
// (DISPLAY is removed before the first test; on Windows a hidden window),
// framebuffer targets read back pixel by pixel, and --render and --scan run
// in-process against the CPU reference of the map.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/headless.h"
#include "app/overlay.h"
#include "app/stability_shader.h"
#include "app/viewer.h"
#include "framework/platform/gl.h"
#include "framework/shader/shader.h"
#include "framework/window/caps.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"
#include "tests/support/map_reference.h"
#include "tests/support/test_window.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#include "stb_image.h"

namespace fs = std::filesystem;

namespace {

#ifndef _WIN32
// Linux must manage without any X server: no display for GLX to fall back on.
const bool display_removed = (unsetenv("DISPLAY"), true);
#endif

const float DEFAULT_PHASE = (float)(-30 * 0.017453292519943295);

// Share of pixels within 2 levels per channel of the reference.
double agreement(const std::vector<uint8_t>& rgb, const std::vector<uint32_t>& want) {
    size_t close = 0;
    for (size_t i = 0; i < want.size(); i++) {
        bool ok = true;
        for (int c = 0; c < 3; c++) ok = ok && std::abs((int)rgb[3 * i + c] - (int)(want[i] >> (16 - 8 * c) & 0xFF)) <= 2;
        close += ok;
    }
    return (double)close / want.size();
}

class Offscreen : public ::testing::Test {
protected:
    void* context = nullptr;
    char message[400] = "";
    void SetUp() override {
        context = plat_create_offscreen_context(message, sizeof message);
        ASSERT_NE(context, nullptr) << message;
    }
    void TearDown() override { plat_release_offscreen_context(context); }
};

TEST_F(Offscreen, ContextNeedsNoScreen) {
#ifdef _WIN32
    EXPECT_STREQ(message, "WGL on a hidden window");
#else
    EXPECT_EQ(getenv("DISPLAY"), nullptr);
    EXPECT_STREQ(message, "EGL on Mesa's surfaceless platform");
#endif
    EXPECT_GE(gl_version(), 2.0f);
    EXPECT_EQ(shaders_available(), 1);
}

TEST_F(Offscreen, TargetDrawsInWindowPixelsTopDown) {
    OffscreenTarget t;
    ASSERT_TRUE(offscreen_open(&t, 200, 120, message, sizeof message)) << message;
    EXPECT_EQ(graphics.width, 200);
    EXPECT_EQ(graphics.height, 120);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glRecti(10, 20, 40, 60);  // x 10..39, y 20..59 from the top-left
    EXPECT_EQ(test_pixel(10, 20), 0xFF0000u);
    EXPECT_EQ(test_pixel(39, 59), 0xFF0000u);
    EXPECT_EQ(test_pixel(9, 20), 0x0000FFu);
    EXPECT_EQ(test_pixel(10, 19), 0x0000FFu);
    EXPECT_EQ(test_pixel(40, 59), 0x0000FFu);
    EXPECT_EQ(test_pixel(39, 60), 0x0000FFu);
    EXPECT_EQ(test_pixel(199, 119), 0x0000FFu);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    offscreen_close(&t);
    EXPECT_EQ(t.framebuffer, 0u);
}

TEST_F(Offscreen, SizesBeyondTheDriverAreRefusedWithItsLimit) {
    int max_w = 0, max_h = 0;
    offscreen_max_size(&max_w, &max_h);
    ASSERT_GE(max_w, 2048);
    ASSERT_GE(max_h, 2048);
    OffscreenTarget t;
    EXPECT_FALSE(offscreen_open(&t, max_w + 1, 10, message, sizeof message));
    EXPECT_NE(std::string(message).find(std::to_string(max_w) + "x" + std::to_string(max_h)), std::string::npos)
        << message;
    EXPECT_FALSE(offscreen_open(&t, 10, max_h + 1, message, sizeof message));
    EXPECT_FALSE(offscreen_open(&t, 0, 10, message, sizeof message));
    EXPECT_EQ(t.framebuffer, 0u);
    // The widest strip the driver allows still works after the refusals.
    ASSERT_TRUE(offscreen_open(&t, max_w, 2, message, sizeof message)) << message;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(test_pixel(max_w - 1, 1), 0xFFFFFFu);
    offscreen_close(&t);
}

// Each new context fetches its own entry points: the map comes out right on both.
TEST(OffscreenContexts, TwoInTurnBothDrawTheMap) {
    const int w = 96, h = 60;
    for (int round = 0; round < 2; round++) {
        char message[400];
        void* context = plat_create_offscreen_context(message, sizeof message);
        ASSERT_NE(context, nullptr) << message;
        ASSERT_EQ(shaders_available(), 1);
        OffscreenTarget t;
        ASSERT_TRUE(offscreen_open(&t, w, h, message, sizeof message)) << message;
        GLuint program = build_fragment_program(stability_fragment_source, nullptr, nullptr);
        draw_stability_map(program, 1.5, DEFAULT_PHASE, 100);
        EXPECT_GE(agreement(test_read_pixels(0, 0, w, h), map_picture(w, h, 1.5f, DEFAULT_PHASE, 100)), 0.99);
        offscreen_close(&t);
        plat_release_offscreen_context(context);
    }
}

// --render and --scan in a scratch working folder.
class HeadlessRun : public ::testing::Test {
protected:
    fs::path old_dir, dir;
    void SetUp() override {
        old_dir = fs::current_path();
        dir = fs::temp_directory_path() /
              ("tess_headless_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old_dir);
        fs::remove_all(dir);
    }
    static std::string bytes_of(const fs::path& p) {
        std::ifstream f(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    static CliOptions options(std::vector<const char*> args) {
        args.insert(args.begin(), "tessaline");
        CliOptions o;
        char message[300];
        EXPECT_TRUE(cli_parse((int)args.size(), args.data(), &o, message, sizeof message)) << message;
        return o;
    }
    std::vector<std::string> listing() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        return names;
    }
};

TEST_F(HeadlessRun, RenderTakesConfigValuesAndLeavesTheFileAlone) {
    const std::string config = "Max cells: 30\nAccelerating phase (degrees):45\n";
    std::ofstream("config.txt", std::ios::binary) << config;
    ASSERT_EQ(headless_run(options({"--render", "map.png", "--d", "1.2", "--size", "160x100"})), CLI_EXIT_OK);
    EXPECT_EQ(bytes_of("config.txt"), config);
    int w = 0, h = 0, comp = 0;
    unsigned char* rgb = stbi_load("map.png", &w, &h, &comp, 3);
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(w, 160);
    ASSERT_EQ(h, 100);
    const float phase = (float)(45 * 0.017453292519943295);
    EXPECT_GE(agreement(std::vector<uint8_t>(rgb, rgb + 3 * w * h), map_picture(w, h, 1.2f, phase, 30)), 0.99);
    stbi_image_free(rgb);
    // Options win over the file; no config.txt is created where there is none.
    fs::remove("config.txt");
    ASSERT_EQ(headless_run(options({"--render", "map.png", "--phase", "-30", "--cells", "100", "--size", "80x50"})),
              CLI_EXIT_OK);
    EXPECT_EQ(listing(), std::vector<std::string>{"map.png"});
}

TEST_F(HeadlessRun, ScanMeasuresTheBlackArea) {
    const int w = 160, h = 100;
    ASSERT_EQ(headless_run(options({"--scan", "0.5:1.5:3", "--size", "160x100", "--csv", "scan.csv"})), CLI_EXIT_OK);
    std::istringstream csv(bytes_of("scan.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "d,measured_area,continuum_area,ratio,tune_degrees");
    const double pixel_area = 6.283185307179586 * 6 / (w * h);
    for (double d : {0.5, 1.0, 1.5}) {
        ASSERT_TRUE(std::getline(csv, line));
        std::vector<std::string> f;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, ',');) f.push_back(field);
        ASSERT_EQ(f.size(), 5u) << line;
        EXPECT_EQ(std::stod(f[0]), d);
        std::vector<uint32_t> want = map_picture(w, h, (float)d, DEFAULT_PHASE, 100);
        long black = 0;
        for (uint32_t p : want) black += p == 0;
        EXPECT_NEAR(std::stod(f[1]), black * pixel_area, 0.01 * w * h * pixel_area) << line;
        EXPECT_GT(std::stod(f[1]), 0.5) << line;
        EXPECT_EQ(f[2], "nan");  // until the physics is linked in
        EXPECT_EQ(f[3], "nan");
        EXPECT_NEAR(std::stod(f[4]), synchrotron_tune_degrees(d, DEFAULT_PHASE), 1e-12);
    }
    EXPECT_FALSE(std::getline(csv, line));
}

TEST_F(HeadlessRun, FailuresLeaveNoFile) {
    EXPECT_EQ(headless_run(options({"--render", "missing/map.png", "--size", "32x20"})), CLI_EXIT_FAILED);
    EXPECT_EQ(headless_run(options({"--render", "wide.png", "--size", "40000x2"})), CLI_EXIT_FAILED);
    EXPECT_EQ(headless_run(options({"--render", "sep.png", "--size", "32x20", "--separatrix"})), CLI_EXIT_FAILED);
    EXPECT_EQ(headless_run(options({"--scan", "1:2:2", "--size", "32x20", "--csv", "missing/s.csv"})),
              CLI_EXIT_FAILED);
    EXPECT_TRUE(listing().empty());
}

}  // namespace
