// The viewer's command-line modes: --render draws one map into an offscreen
// target and saves it as a PNG, --scan draws a row of maps and writes their
// bucket areas as CSV; --help and --version print. No window is shown.
#pragma once

#include "app/cli.h"

// Parses the arguments, runs what they ask for and returns the exit code
// (CLI_EXIT_*). Problems are reported as one line on stderr.
int command_line_main(int argc, const char* const* argv);

// Runs a parsed --render or --scan; returns the exit code.
int headless_run(const CliOptions& options);
