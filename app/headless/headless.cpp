// --render and --scan: an offscreen context and target of the requested size,
// the viewer's own fragment program over the requested view window, and the
// results written whole (a temporary renamed over the target). config.txt is
// read for the parameters not given and never written.
#include "app/headless/headless.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/headless/figure_run.h"
#include "app/model/scan_plan.h"
#include "app/render/map_png.h"
#include "app/version.h"
#include "app/model/map_space.h"
#include "app/render/map_programs.h"
#include "app/render/map_view.h"
#include "app/model/physics.h"
#include "app/render/harmonic_shader.h"
#include "app/render/stability_shader.h"
#include "app/model/viewer_params.h"
#include "framework/shader/shader.h"
#include "framework/window/clock.h"
#include "framework/window/file_write.h"
#include "framework/window/graphics.h"
#include "framework/window/offscreen.h"
#include "framework/window/screenshot.h"
#include "framework/util/utils.h"

void (*headless_after_draw)() = nullptr;

HeadlessParams headless_params(const CliOptions& o) {
    HeadlessParams r;
    ViewerParams p = peek_viewer_params();
    r.phase_degrees = map_phase_wrapped(o.has_phase ? o.phase_degrees : p.phase_degrees);
    r.phase = map_phase_radians(r.phase_degrees);
    r.cells = o.has_cells ? o.cells : p.cells;
    r.maxit = map_maxit(r.cells);
    r.harmonic = p.harmonic;
    if (o.has_harmonic) r.harmonic.number = o.harmonic;
    if (o.has_ratio) r.harmonic.ratio = o.ratio;
    if (o.has_harmonic_phase) r.harmonic.phase_degrees = o.harmonic_phase_degrees;
    return r;
}

void headless_report(const char* text) {
    fprintf(stderr, "tessaline: %s\n", text);
    fflush(stderr);
}

bool headless_gl_failed(const char* what, bool after_bar) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return false;
    if (after_bar) fputc('\n', stderr);  // the progress bar's line ends first
    char message[96];
    snprintf(message, sizeof message, "OpenGL error 0x%04X while %s; nothing written", (unsigned)error, what);
    headless_report(message);
    return true;
}

int headless_write_failed(const std::string& path) {
    std::string text = "could not write " + path;
    headless_report(text.c_str());
    return CLI_EXIT_FAILED;
}

ViewWindow headless_view(const CliOptions& o) { return {o.view[0], o.view[1], o.view[2], o.view[3]}; }

namespace {


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

bool headless_open(Headless* h, int w, int height, bool second, char* message, size_t size) {
    char why[400];
    h->context = plat_create_offscreen_context(why, sizeof why);
    if (!h->context) {
        snprintf(message, size, "no OpenGL context without a window (%s)", why);
        return false;
    }
    // The viewer would end through fatal_error and its message box; here the
    // same words go to stderr.
    if (!shaders_available()) {
        gl2_required_text(message, size);
        headless_close(h);
        return false;
    }
    char *fragment_log = nullptr, *link_log = nullptr;
    h->program = build_fragment_program(second ? harmonic_fragment_source : stability_fragment_source, &fragment_log,
                                        &link_log);
    GLint linked = 0;
    glGetProgramiv(h->program, GL_LINK_STATUS, &linked);
    map_programs_start(h->program);
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
    if (height < 2) {
        // The framework's pixel projection spans a depth of height / 2 either
        // way, none at one row, which GL refuses; flat drawing needs no depth.
        while (glGetError() != GL_NO_ERROR) {}
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, w, height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
    }
    return true;
}

// The map over the view window, filling the target, as the viewer draws it;
// false, reported, where the driver would not make every pass.
bool draw_map_window(GLuint program, double d, const HeadlessParams& p, const ViewWindow& view, int w, int h) {
    if (!map_programs_whole(p.maxit)) {
        char message[160];
        snprintf(message, sizeof message,
                 "this driver stops the map's loops before %.0f cells and has no float textures to go on; nothing written",
                 (double)p.maxit);
        headless_report(message);
        return false;
    }
    MapInputs in = {(float)d, p.phase, p.maxit, view, w, h, harmonic_uniforms(p.harmonic)};
    draw_map_target(program, in, w, h);
    glFinish();
    return true;
}


// The parameters, context, program and target of a run; false, reported,
// when any of them cannot be had.
bool run_start(const CliOptions& o, HeadlessParams* p, Headless* h) {
    *p = headless_params(o);
    char message[600];
    if (headless_open(h, o.width, o.height, harmonic_on(p->harmonic), message, sizeof message)) return true;
    headless_report(message);
    return false;
}

// The file a write to path lands in: through any symbolic links, so that a
// link stays a link and its target gets the picture or the table.
std::string written_path(const std::string& path) {
    namespace fs = std::filesystem;
    fs::path p = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(p, error); hops++) {
        fs::path target = fs::read_symlink(p, error);
        if (error) break;
        p = target.is_absolute() ? target : p.parent_path() / target;
    }
    return p.string();
}


int run_render(const CliOptions& o) {
    HeadlessParams p;
    Headless h;
    if (!run_start(o, &p, &h)) return CLI_EXIT_FAILED;
    if (figure_wanted(o)) {
        int code = figure_render(o, p, h.program);
        headless_close(&h);
        return code;
    }
    if (!draw_map_window(h.program, o.d, p, headless_view(o), o.width, o.height)) {
        headless_close(&h);
        return CLI_EXIT_FAILED;
    }
    render_overlays(o, p, o.width, o.height);
    if (headless_after_draw) headless_after_draw();
    if (headless_gl_failed("drawing the map")) {
        headless_close(&h);
        return CLI_EXIT_FAILED;
    }
    bool saved = save_map_png(written_path(o.output).c_str(), o.width, o.height, p.phase_degrees, o.d, p.cells,
                              headless_view(o), p.harmonic);
    headless_close(&h);
    return saved ? CLI_EXIT_OK : headless_write_failed(o.output);
}

// A bar on stderr, redrawn in place, once the scan has run for a second; only
// on a terminal: in a file or a pipe it would be noise.
void show_progress(int done, int total, double started, bool* shown) {
    static const bool terminal = plat_stderr_is_terminal();
    if (!terminal || (!*shown && timer() - started < 1.0)) return;
    *shown = true;
    const int width = 40;
    int filled = (int)((long long)done * width / total);
    fprintf(stderr, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(), std::string(width - filled, ' ').c_str(), done,
            total);
    if (done == total) fputc('\n', stderr);
    fflush(stderr);
}

// With --resume, the rows an earlier file of the same scan holds are kept
// (rewritten whole, without a row a killed job cut short) and the file is
// then appended to row by row; null, reported, when it cannot be.
FILE* resume_file(const CliOptions& o, const std::string& head, std::set<std::string>* have) {
    int length = 0;
    const std::string path = written_path(o.output);
    char* old = (char*)read_whole_file(path.c_str(), &length);
    std::string kept = head, why;
    bool same = !old || length == 0 || scan_resume(std::string(old, (size_t)length), head, &kept, have, &why);
    free(old);
    if (!same) {
        std::string text = "cannot resume " + o.output + ": " + why;
        headless_report(text.c_str());
        return nullptr;
    }
    FILE* f = write_file_whole(path.c_str(), kept.data(), kept.size()) ? fopen(path.c_str(), "ab") : nullptr;
    if (!f) headless_write_failed(o.output);
    return f;
}

int run_scan(const CliOptions& o) {
    HeadlessParams p;
    Headless h;
    if (!run_start(o, &p, &h)) return CLI_EXIT_FAILED;
    std::vector<ScanRow> rows;
    scan_rows(o, p.phase_degrees, &rows);
    std::string csv = scan_head(o, p.phase_degrees, p.cells, p.harmonic);
    std::set<std::string> have;
    FILE* out = nullptr;
    if (o.resume && !(out = resume_file(o, csv, &have))) {
        headless_close(&h);
        return CLI_EXIT_FAILED;
    }
    const long long stride = (long long)o.width * 4;
    std::vector<unsigned char> pixels((size_t)(stride * o.height));
    double started = timer();
    bool shown = false;
    int total = 0, done = 0;
    for (const ScanRow& r : rows) total += !have.count(r.key);
    bool failed = false;
    for (const ScanRow& r : rows) {
        if (have.count(r.key)) continue;
        HeadlessParams row = p;
        row.phase_degrees = r.phase_degrees;
        row.phase = map_phase_radians(r.phase_degrees);
        if ((failed = !draw_map_window(h.program, r.d, row, view_full(), o.width, o.height))) break;
        if (headless_after_draw) headless_after_draw();
        read_pixel_rows(0, 0, o.width, o.height, GL_RGBA, pixels.data());
        if ((failed = headless_gl_failed("drawing or reading back a map", shown))) break;
        // Every pixel a particle leaves from is coloured (blue >= 0.5 after one
        // cell); black is exactly the surviving starts, the bucket where the
        // map has one. The viewer's status line reports the same figures.
        double measured = bucket_area_from_rgba(pixels.data(), o.width, o.height, (int)stride);
        // The half-height's column is the single-RF centre's; the second harmonic moves it.
        double half = harmonic_on(p.harmonic) ? NAN
                                              : bucket_half_height_from_rgba(pixels.data(), o.width, o.height,
                                                                             (int)stride, (float)r.d, row.phase);
        BucketFigures f = harmonic_bucket_figures(p.harmonic, r.d, row.phase, measured, half);
        std::string line = scan_row_text(r, f);
        if (out) {
            // Each row on disk as soon as it is made: a killed job loses only the map in hand.
            if ((failed = fputs(line.c_str(), out) < 0 || fflush(out) != 0)) break;
        } else {
            csv += line;
        }
        show_progress(++done, total, started, &shown);
    }
    headless_close(&h);
    if (out && fclose(out) != 0) failed = true;
    if (failed) return out ? headless_write_failed(o.output) : CLI_EXIT_FAILED;
    if (out) return CLI_EXIT_OK;
    if (o.output == "-") {
        bool written = fwrite(csv.data(), 1, csv.size(), stdout) == csv.size() && fflush(stdout) == 0;
        return written ? CLI_EXIT_OK : headless_write_failed("standard output");
    }
    std::string path = written_path(o.output);
    return write_file_whole(path.c_str(), csv.data(), csv.size()) ? CLI_EXIT_OK : headless_write_failed(o.output);
}

}  // namespace

// config.txt's values where the options give none, held to the options' limits.
bool config_values_valid(const CliOptions& o) {
    ViewerParams p = peek_viewer_params();
    char message[600];
    bool ok = (o.has_phase || cli_check_config_value(p.phase_key.c_str(), p.phase_text.c_str(), false, message,
                                                     sizeof message)) &&
              (o.has_cells || cli_check_config_value(p.cells_key.c_str(), p.cells_text.c_str(), true, message,
                                                     sizeof message));
    if (!ok) headless_report(message);
    return ok;
}

int headless_run(const CliOptions& o) {
    bool reads_config = o.mode == CLI_RENDER || o.mode == CLI_SCAN || o.mode == CLI_TRACK;
    if (reads_config && !config_values_valid(o)) return CLI_EXIT_USAGE;
    if (o.mode == CLI_RENDER) return run_render(o);
    if (o.mode == CLI_SCAN) return run_scan(o);
    if (o.mode == CLI_TRACK) return headless_track(o);
    return CLI_EXIT_USAGE;
}

int command_line_main(int argc, const char* const* argv) {
    plat_console_output();
    CliOptions o;
    char message[600];
    if (!cli_parse(argc, argv, &o, message, sizeof message)) {
        headless_report(message);
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
