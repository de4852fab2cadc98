// --render and --scan: an offscreen context and target of the requested size,
// the viewer's own fragment program over the requested view window, and the
// results written whole (a temporary renamed over the target). config.txt is
// read for the parameters not given and never written.
#include "app/headless.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/map_space.h"
#include "app/overlay.h"
#include "app/stability_shader.h"
#include "app/viewer_params.h"
#include "framework/shader/shader.h"
#include "framework/window/caps.h"
#include "framework/window/clock.h"
#include "framework/window/file_write.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"
#include "framework/window/png.h"
#include "framework/window/screenshot.h"

namespace {

const double DEGREES_TO_RADIANS = 0.017453292519943295;  // as the viewer converts

// The physics of one run: config.txt's values where the options give none.
struct RunParams {
    double phase_degrees;
    float phase;  // radians, narrowed as the viewer narrows it
    int cells;
};

RunParams run_params(const CliOptions& o) {
    RunParams r;
    ViewerParams p = peek_viewer_params(&r.phase_degrees);
    r.phase = p.phase;
    r.cells = p.cells;
    if (o.has_phase) {
        r.phase_degrees = o.phase_degrees;
        r.phase = (float)(o.phase_degrees * DEGREES_TO_RADIANS);
    }
    if (o.has_cells) r.cells = o.cells;
    return r;
}

void report(const char* text) {
    fprintf(stderr, "tessaline: %s\n", text);
    fflush(stderr);
}

// Shortest text that reads back as the same double; "nan" for any NaN.
std::string real_text(double v) {
    if (std::isnan(v)) return "nan";
    char buf[64];
    std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The context, the program and the target of one run.
struct Headless {
    void* context = nullptr;
    GLuint program = 0;
    OffscreenTarget target = {};
};

void headless_close(Headless* h) {
    offscreen_close(&h->target);
    plat_release_offscreen_context(h->context);
    h->context = nullptr;
}

bool headless_open(Headless* h, int w, int height, char* message, size_t size) {
    char why[400];
    h->context = plat_create_offscreen_context(why, sizeof why);
    if (!h->context) {
        snprintf(message, size, "no OpenGL context without a window (%s)", why);
        return false;
    }
    // The viewer would end through fatal_error and its message box; here the
    // same words go to stderr.
    if (!shaders_available()) {
        snprintf(message, size, "OpenGL version 2.0 or higher required for shaders; you have version %g",
                 (double)gl_version());
        headless_close(h);
        return false;
    }
    char *fragment_log = nullptr, *link_log = nullptr;
    h->program = build_fragment_program(stability_fragment_source, &fragment_log, &link_log);
    GLint linked = 0;
    glGetProgramiv(h->program, GL_LINK_STATUS, &linked);
    // Unlike the live viewer, a file would not show the driver's complaint:
    // an unlinked program is a failure, not a blue picture.
    if (!linked) snprintf(message, size, "the map's program did not link: %s %s", fragment_log, link_log);
    free(fragment_log);
    free(link_log);
    if (!linked || !offscreen_open(&h->target, w, height, why, sizeof why)) {
        if (linked) snprintf(message, size, "%s", why);
        headless_close(h);
        return false;
    }
    return true;
}

// The map over the view window, filling the target. The program maps s to
// x = 2 pi s and t to xp = 6 t - 3, so each corner's texture coordinate is
// the view's corner in those units; t grows downwards as on the screen.
// TODO(map_view): switch to app/map_view's drawing once it lands.
void draw_map_window(GLuint program, double d, float phase, float maxit, const double view[4]) {
    const double across = map_x_max - map_x_min, down = map_xp_bottom - map_xp_top;
    const float s0 = (float)((view[0] - map_x_min) / across), s1 = (float)((view[1] - map_x_min) / across);
    const float t0 = (float)((view[2] - map_xp_top) / down), t1 = (float)((view[3] - map_xp_top) / down);
    glUseProgram(program);
    glUniform1f(glGetUniformLocation(program, "d"), (float)d);
    glUniform1f(glGetUniformLocation(program, "phase"), phase);
    glUniform1f(glGetUniformLocation(program, "maxit"), maxit);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2i(0, 0);
    glTexCoord2f(s1, t0);
    glVertex2i(graphics.width, 0);
    glTexCoord2f(s1, t1);
    glVertex2i(graphics.width, graphics.height);
    glTexCoord2f(s0, t1);
    glVertex2i(0, graphics.height);
    glEnd();
    glUseProgram(0);
    glFinish();
}

// Hook for --separatrix: the curve comes from app/physics, which is not part
// of this build yet. Until it is drawn here the option fails the render
// rather than saving a picture without the curve.
bool draw_separatrix(const double view[4], double d, float phase, char* message, size_t size) {
    (void)view;
    (void)d;
    (void)phase;
    snprintf(message, size, "--separatrix: the separatrix curve is not available in this build");
    return false;
}

// Hook for --scan: the bucket area of the continuous motion, from app/physics
// once it is part of this build; until then not a number, and so is the ratio.
double continuum_area(double d, float phase) {
    (void)d;
    (void)phase;
    return NAN;
}

// The parameters, context, program and target of a run; false, reported,
// when any of them cannot be had.
bool run_start(const CliOptions& o, RunParams* p, Headless* h) {
    *p = run_params(o);
    char message[600];
    if (headless_open(h, o.width, o.height, message, sizeof message)) return true;
    report(message);
    return false;
}

int write_failed(const std::string& path) {
    std::string text = "could not write " + path;
    report(text.c_str());
    return CLI_EXIT_FAILED;
}

int run_render(const CliOptions& o) {
    RunParams p;
    Headless h;
    if (!run_start(o, &p, &h)) return CLI_EXIT_FAILED;
    char message[200];
    draw_map_window(h.program, o.d, p.phase, (float)p.cells, o.view);
    if (o.separatrix && !draw_separatrix(o.view, o.d, p.phase, message, sizeof message)) {
        headless_close(&h);
        report(message);
        return CLI_EXIT_FAILED;
    }
    std::string phase = real_text(p.phase_degrees), d = real_text(o.d), cells = std::to_string(p.cells);
    std::string view = real_text(o.view[0]) + "," + real_text(o.view[1]) + "," + real_text(o.view[2]) + "," +
                       real_text(o.view[3]);
    std::string software = cli_version_text();
    software.pop_back();  // the line's newline
    const PngText texts[] = {{"phase", phase.c_str()},
                             {"d", d.c_str()},
                             {"cells", cells.c_str()},
                             {"view", view.c_str()},
                             {"Software", software.c_str()}};
    bool saved = save_png(0, 0, o.width, o.height, o.output.c_str(), texts, (int)(sizeof texts / sizeof texts[0]));
    headless_close(&h);
    return saved ? CLI_EXIT_OK : write_failed(o.output);
}

// A bar on stderr, redrawn in place, once the scan has run for a second.
void show_progress(int done, int total, double started, bool* shown) {
    if (!*shown && timer() - started < 1.0) return;
    *shown = true;
    const int width = 40;
    int filled = (int)((long long)done * width / total);
    fprintf(stderr, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(), std::string(width - filled, ' ').c_str(), done,
            total);
    if (done == total) fputc('\n', stderr);
    fflush(stderr);
}

int run_scan(const CliOptions& o) {
    RunParams p;
    Headless h;
    if (!run_start(o, &p, &h)) return CLI_EXIT_FAILED;
    const double full[4] = {map_x_min, map_x_max, map_xp_top, map_xp_bottom};
    const double pixel_area = (map_x_max - map_x_min) * (map_xp_bottom - map_xp_top) / ((double)o.width * o.height);
    const long long stride = bmp_stride(o.width);
    std::vector<unsigned char> rows((size_t)(stride * o.height));
    std::string csv = "d,measured_area,continuum_area,ratio,tune_degrees\n";
    double started = timer();
    bool shown = false;
    for (int k = 0; k < o.scan_count; k++) {
        double d = cli_scan_d(o, k);
        draw_map_window(h.program, d, p.phase, (float)p.cells, full);
        read_pixel_rows(0, 0, o.width, o.height, GL_RGB, rows.data());
        // Every pixel a particle leaves from is coloured (blue >= 0.5 after one
        // cell); black is exactly the surviving starts, the bucket.
        long long black = 0;
        for (int y = 0; y < o.height; y++) {
            const unsigned char* row = rows.data() + (size_t)(stride * y);
            for (int x = 0; x < 3 * o.width; x += 3) black += (row[x] | row[x + 1] | row[x + 2]) == 0;
        }
        double measured = black * pixel_area, continuum = continuum_area(d, p.phase);
        csv += real_text(d) + "," + real_text(measured) + "," + real_text(continuum) + "," +
               real_text(measured / continuum) + "," + real_text(synchrotron_tune_degrees(d, p.phase)) + "\n";
        show_progress(k + 1, o.scan_count, started, &shown);
    }
    headless_close(&h);
    return write_file_whole(o.output.c_str(), csv.data(), csv.size()) ? CLI_EXIT_OK : write_failed(o.output);
}

}  // namespace

int headless_run(const CliOptions& o) {
    if (o.mode == CLI_RENDER) return run_render(o);
    if (o.mode == CLI_SCAN) return run_scan(o);
    return CLI_EXIT_USAGE;
}

int command_line_main(int argc, const char* const* argv) {
    plat_console_output();
    CliOptions o;
    char message[600];
    if (!cli_parse(argc, argv, &o, message, sizeof message)) {
        report(message);
        return CLI_EXIT_USAGE;
    }
    if (o.mode == CLI_HELP || o.mode == CLI_VERSION) {
        std::string text = o.mode == CLI_HELP ? cli_help_text() : cli_version_text();
        fputs(text.c_str(), stdout);
        fflush(stdout);
        return CLI_EXIT_OK;
    }
    return headless_run(o);
}
