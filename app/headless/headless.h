// The viewer's command-line modes: --render draws one map into an offscreen
// target and saves it as a PNG, --scan draws a row of maps and writes their
// bucket areas as CSV, --track writes one orbit as CSV; --help and --version
// print. No window is shown.
#pragma once

#include "app/model/cli.h"
#include "app/model/harmonic.h"
#include "app/model/view_window.h"

#include <string>

// Parses the arguments, runs what they ask for and returns the exit code
// (CLI_EXIT_*). Problems are reported as one line on stderr.
int command_line_main(int argc, const char* const* argv);

// Runs a parsed --render or --scan; returns the exit code. A map on which GL
// reports an error is not written: exit code 1.
int headless_run(const CliOptions& options);

// The physics a run draws with: the options' phase and cells, config.txt's
// where they give none.
struct HeadlessParams {
    double phase_degrees;
    float phase;  // radians, narrowed as the viewer narrows it
    int cells;    // as asked; the PNG records it
    float maxit;  // what the program gets: map_maxit(cells), as in the viewer
    Harmonic harmonic;
};
HeadlessParams headless_params(const CliOptions& options);

// --track: one start tracked as a left click tracks it, written as CSV;
// needs no GL. Returns the exit code.
int headless_track(const CliOptions& options);

// What the modes share: one line on stderr ("tessaline: text"); GL's error
// flag after drawing, reported as "OpenGL error ... while <what>; nothing
// written" when set (after_bar: a progress bar's line ends first); a write
// that failed, reported, returning CLI_EXIT_FAILED; the options' view window.
void headless_report(const char* text);
bool headless_gl_failed(const char* what, bool after_bar = false);
int headless_write_failed(const std::string& path);
ViewWindow headless_view(const CliOptions& options);

// Called on the run's context after each map is drawn, before its pixels are
// read back; null in the program. Tests change GL's state here.
extern void (*headless_after_draw)();
