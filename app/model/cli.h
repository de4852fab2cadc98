// The viewer's command line: --render, --scan, --track, --help and --version. Parsing
// is a pure function from the arguments to a plain record, with no output and
// no files touched, so that tests and fuzzers can call it freely.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "app/model/map_space.h"
#include "app/model/viewer_keys.h"

enum CliMode { CLI_VIEWER, CLI_HELP, CLI_VERSION, CLI_RENDER, CLI_SCAN, CLI_TRACK };

// Exit codes of the command-line modes (the viewer itself ends with 0).
enum { CLI_EXIT_OK = 0, CLI_EXIT_FAILED = 1, CLI_EXIT_USAGE = 2 };

// Largest values the parser accepts. A picture's sides are further bounded by
// the driver's largest renderbuffer, which only a context can tell.
const int CLI_MAX_SIDE = 65535;
const long long CLI_MAX_PIXELS = 1LL << 28;  // 16384 x 16384
const int CLI_MAX_CELLS = 1000000;
const int CLI_MAX_SCAN_POINTS = 100000;

struct CliOptions {
    int mode = CLI_VIEWER;
    std::string output;  // --render's PNG or --csv's table ("-" for --track: standard output)
    bool has_phase = false;
    double phase_degrees = 0;  // only when has_phase; else config.txt decides
    bool has_cells = false;
    int cells = 0;  // only when has_cells
    double d = 1;
    int width = 1920, height = 1080;
    // Phase x0..x1 across, momentum deviation p0 at the top to p1 at the bottom.
    double view[4] = {map_x_min, map_x_max, map_xp_top, map_xp_bottom};
    bool separatrix = false;
    bool manifolds = false;
    double track_x = 0, track_xp = 0;  // --track's start
    double scan_from = 0, scan_to = 0;  // d of the first and last map
    int scan_count = 0;
    // The second harmonic, each part only when given; else config.txt decides.
    bool has_harmonic = false, has_ratio = false, has_harmonic_phase = false;
    int harmonic = 2;
    double ratio = 0, harmonic_phase_degrees = 0;
    // Figures (--render): frame, ticks and legend; +xp at the top; the colour scale (MapScale).
    bool axes = false, flip = false;
    int scale = 0;
    bool svg = false;           // the output's name ends in .svg
    std::vector<float> orbits;  // --orbit X,XP starts, (x, xp) pairs
    // Scans over phase too (--phases), one interleaved part of the rows (--shard), resumed (--resume).
    double phases_from = 0, phases_to = 0;
    int phases_count = 0;       // 0: the one phase of --phase or config.txt
    int shard = 1, shards = 1;  // rows k with k % shards == shard - 1
    bool resume = false;
};

const int CLI_MAX_ORBITS = 16;

// Parses argv[1 .. argc-1] (argv[0] is the program). True when they make a
// valid request (no arguments at all: the viewer); false with one line, no
// newline, naming the problem in message.
bool cli_parse(int argc, const char* const* argv, CliOptions* out, char* message, size_t size);

// A value from config.txt held to the limits of the option it stands for
// (--phase, or --cells when is_cells): false with one line naming the file,
// the key and the value in message.
bool cli_check_config_value(const char* key, const char* value, bool is_cells, char* message, size_t size);

// d of map k of a scan (0 .. scan_count-1): evenly spaced, ends exact.
double cli_scan_d(const CliOptions& o, int k);
// Phase in degrees of phase k of --phases (0 .. phases_count-1), spaced alike.
double cli_scan_phase(const CliOptions& o, int k);

// The --help text (usage, the viewer's keys, exit codes) and the --version
// text (name and version, then copyright and licence, each line ended).
std::string cli_help_text();
std::string cli_version_text();

