// Command-line parsing with CLI11, which reports errors by throwing: its one
// try/catch is in cli_parse and becomes a message. Every value arrives as
// text and is checked here strictly (whole string, plain decimal, finite, in
// range), so that "1x", "nan" or "0x10" never reach a render.
#include "app/model/cli.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/model/harmonic.h"
#include "app/model/view_window.h"
#include "app/version.h"


namespace {

// Control bytes a message quotes shown as '?', so that it stays one line.
void one_line(char* message, size_t size) {
    for (size_t i = 0; i < size && message[i]; i++)
        if ((unsigned char)message[i] < 0x20 || message[i] == 0x7F) message[i] = '?';
}

// Failure: the message names the option and its value.
bool fail(char* message, size_t size, const char* option, const std::string& value, const char* why) {
    snprintf(message, size, "%s %s: %s", option, value.c_str(), why);
    return false;
}

// A whole, finite decimal number: no blanks, no trailing characters, no nan,
// inf or hexadecimal, which strtod would take.
bool parse_real(const std::string& s, double* out) {
    if (s.empty() || s.find_first_not_of("0123456789+-.eE") != std::string::npos) return false;
    char* end = nullptr;
    double v = strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
    *out = v;
    return true;
}

// A whole number in [lo, hi], digits with at most a leading sign.
bool parse_int_in(const std::string& s, long long lo, long long hi, long long* out) {
    if (s.empty() || !(isdigit((unsigned char)s[0]) || ((s[0] == '+' || s[0] == '-') && s.size() > 1))) return false;
    for (size_t i = 1; i < s.size(); i++)
        if (!isdigit((unsigned char)s[i])) return false;
    errno = 0;
    long long v = strtoll(s.c_str(), nullptr, 10);
    if (errno == ERANGE || v < lo || v > hi) return false;
    *out = v;
    return true;
}

// Pieces of s between separators; an empty string is one empty piece.
std::vector<std::string> split(const std::string& s, char separator) {
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

bool parse_size(const std::string& s, CliOptions* o, char* message, size_t size) {
    size_t x = s.find_first_of("xX");
    long long w = 0, h = 0;
    if (x == std::string::npos || !parse_int_in(s.substr(0, x), 1, CLI_MAX_SIDE, &w) ||
        !parse_int_in(s.substr(x + 1), 1, CLI_MAX_SIDE, &h)) {
        char why[96];
        snprintf(why, sizeof why, "expected WIDTHxHEIGHT, each side from 1 to %d pixels", CLI_MAX_SIDE);
        return fail(message, size, "--size", s, why);
    }
    if (w * h > CLI_MAX_PIXELS) {
        char why[96];
        snprintf(why, sizeof why, "more than %lld pixels", CLI_MAX_PIXELS);
        return fail(message, size, "--size", s, why);
    }
    o->width = (int)w;
    o->height = (int)h;
    return true;
}

bool parse_view(const std::string& s, CliOptions* o, char* message, size_t size) {
    std::vector<std::string> parts = split(s, ',');
    double v[4];
    if (parts.size() != 4) return fail(message, size, "--view", s, "expected four numbers X0,X1,P0,P1");
    for (int i = 0; i < 4; i++)
        if (!parse_real(parts[i], &v[i])) return fail(message, size, "--view", s, "expected four finite numbers");
    if (!(v[0] < v[1]) || !(v[2] < v[3])) return fail(message, size, "--view", s, "needs X0 < X1 and P0 < P1");
    // The program gets its coordinates as floats: the zoom stops at the same limit.
    if (!view_resolvable({v[0], v[1], v[2], v[3]}, o->width, o->height)) {
        char why[96];
        snprintf(why, sizeof why, "too narrow for float precision at %dx%d pixels", o->width, o->height);
        return fail(message, size, "--view", s, why);
    }
    for (int i = 0; i < 4; i++) o->view[i] = v[i];
    return true;
}

bool parse_track(const std::string& s, CliOptions* o, char* message, size_t size) {
    std::vector<std::string> parts = split(s, ',');
    if (parts.size() != 2 || !parse_real(parts[0], &o->track_x) || !parse_real(parts[1], &o->track_xp))
        return fail(message, size, "--track", s, "expected two finite numbers X,XP");
    return true;
}

// A pair of finite numbers "A,B".
bool parse_pair(const std::string& s, float* a, float* b) {
    std::vector<std::string> parts = split(s, ',');
    double u, v;
    if (parts.size() != 2 || !parse_real(parts[0], &u) || !parse_real(parts[1], &v)) return false;
    *a = (float)u;
    *b = (float)v;
    return true;
}

bool parse_phases(const std::string& s, CliOptions* o, char* message, size_t size) {
    std::vector<std::string> parts = split(s, ':');
    long long n = 0;
    if (parts.size() != 3 || !parse_real(parts[0], &o->phases_from) || !parse_real(parts[1], &o->phases_to) ||
        !parse_int_in(parts[2], 1, CLI_MAX_SCAN_POINTS, &n))
        return fail(message, size, "--phases", s, "expected P0:P1:M, degrees and a whole number from 1");
    if ((long long)o->scan_count * n > CLI_MAX_SCAN_POINTS) {
        char why[80];
        snprintf(why, sizeof why, "more than %d maps with --scan's", CLI_MAX_SCAN_POINTS);
        return fail(message, size, "--phases", s, why);
    }
    o->phases_count = (int)n;
    return true;
}

bool parse_shard(const std::string& s, CliOptions* o, char* message, size_t size) {
    std::vector<std::string> parts = split(s, '/');
    long long k = 0, n = 0;
    if (parts.size() != 2 || !parse_int_in(parts[1], 1, CLI_MAX_SCAN_POINTS, &n) || !parse_int_in(parts[0], 1, n, &k))
        return fail(message, size, "--shard", s, "expected K/N with 1 <= K <= N");
    o->shard = (int)k;
    o->shards = (int)n;
    return true;
}

bool parse_scan(const std::string& s, CliOptions* o, char* message, size_t size) {
    std::vector<std::string> parts = split(s, ':');
    long long n = 0;
    if (parts.size() != 3 || !parse_real(parts[0], &o->scan_from) || !parse_real(parts[1], &o->scan_to))
        return fail(message, size, "--scan", s, "expected D0:D1:N with finite D0 and D1");
    if (!parse_int_in(parts[2], 1, CLI_MAX_SCAN_POINTS, &n)) {
        char why[80];
        snprintf(why, sizeof why, "N must be a whole number from 1 to %d", CLI_MAX_SCAN_POINTS);
        return fail(message, size, "--scan", s, why);
    }
    o->scan_count = (int)n;
    return true;
}

// The raw texts CLI11 collects, and which options were given at all (an
// option given an empty text still counts: "--render ''" is refused later).
struct RawOptions {
    std::string render, scan, track, csv, phase, d, cells, size, view, harmonic, ratio, harmonic_phase;
    std::string colours, phases, shard;
    std::vector<std::string> orbits;
    bool separatrix = false, manifolds = false, help = false, version = false, axes = false, flip = false;
    bool resume = false;
    bool has_colours = false, has_phases = false, has_shard = false, has_orbits = false;
    bool has_render = false, has_scan = false, has_track = false, has_csv = false, has_phase = false, has_d = false;
    bool has_cells = false, has_size = false, has_view = false;
    bool has_harmonic = false, has_ratio = false, has_harmonic_phase = false;
};

// Every option, and what its value is, in the words a refusal uses; null for a flag.
const struct {
    const char* name;
    const char* needs;
} OPTION_VALUES[] = {
    {"--render", "a PNG file name (OUT.png)"},
    {"--scan", "D0:D1:N (the first and last d and the number of maps)"},
    {"--csv", "a CSV file name (OUT.csv, or - for standard output)"},
    {"--phase", "an angle in degrees"},
    {"--d", "a number, the step of the map"},
    {"--cells", "a whole number of cells"},
    {"--size", "WIDTHxHEIGHT in pixels"},
    {"--view", "four numbers X0,X1,P0,P1"},
    {"--track", "X,XP (the start's phase and momentum deviation)"},
    {"--harmonic", "a whole number from 2 to 8, the second harmonic's"},
    {"--ratio", "a number from 0 to 2, the second harmonic's voltage ratio"},
    {"--harmonic-phase", "an angle in degrees, the second harmonic's phase"},
    {"--colours", "program or log, the colour scale"},
    {"--orbit", "X,XP (a start to track and draw)"},
    {"--phases", "P0:P1:M (the first and last phase in degrees and the number of phases)"},
    {"--shard", "K/N (this part of N)"},
    {"--separatrix", nullptr},
    {"--manifolds", nullptr},
    {"--axes", nullptr},
    {"--flip", nullptr},
    {"--resume", nullptr},
    {"--help", nullptr},
    {"-h", nullptr},
    {"--version", nullptr},
};

// The arguments walked once before CLI11, so that the usual mistakes get plain
// words naming the option and what it needs: an unknown option, a value
// missing (the next word is another option: values may start with one '-',
// as in --phase -30, never with two), a flag given a value, an option given
// twice (all but --orbit, which may come up to 16 times), a word that
// belongs to no option.
bool check_words(int argc, const char* const* argv, char* message, size_t size) {
    std::vector<std::string> seen;
    for (int i = 1; i < argc; i++) {
        std::string word = argv[i] ? argv[i] : "";
        size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        std::string name = word.substr(0, equals);
        const char* needs = nullptr;
        bool known = false;
        for (const auto& o : OPTION_VALUES)
            if (name == o.name) known = true, needs = o.needs;
        if (!known) {
            if (word.size() > 1 && word[0] == '-')
                snprintf(message, size, "%s: no such option (tessaline --help lists them)", name.c_str());
            else
                snprintf(message, size, "%s: a word that belongs to no option; options take one value each", word.c_str());
            return false;
        }
        for (const std::string& s : seen)
            if ((s == name && name != "--orbit") || (name == "-h" && s == "--help") || (name == "--help" && s == "-h")) {
                snprintf(message, size, "%s: given twice; give it once", name.c_str());
                return false;
            }
        seen.push_back(name);
        if (!needs) {
            if (equals != std::string::npos) {
                snprintf(message, size, "%s: takes no value", name.c_str());
                return false;
            }
            continue;
        }
        if (equals != std::string::npos) continue;
        if (i + 1 >= argc || !argv[i + 1] || std::string(argv[i + 1]).rfind("--", 0) == 0) {
            snprintf(message, size, "%s: needs %s%s%s", name.c_str(), needs, i + 1 < argc ? " before " : "",
                     i + 1 < argc && argv[i + 1] ? argv[i + 1] : "");
            return false;
        }
        i++;  // its value
    }
    return true;
}

// CLI11 throws for what check_words lets through; its message becomes the
// one line, with any line breaks flattened.
bool collect(int argc, const char* const* argv, RawOptions* raw, char* message, size_t size) {
    if (!check_words(argc, argv, message, size)) return false;
    CLI::App app("tessaline");
    app.set_help_flag();  // ours, below: CLI11's would print and want an exit
    CLI::Option* render = app.add_option("--render", raw->render)->type_name("OUT.png");
    CLI::Option* scan = app.add_option("--scan", raw->scan)->type_name("D0:D1:N");
    CLI::Option* track = app.add_option("--track", raw->track)->type_name("X,XP");
    CLI::Option* csv = app.add_option("--csv", raw->csv)->type_name("OUT.csv");
    CLI::Option* phase = app.add_option("--phase", raw->phase)->type_name("DEG");
    CLI::Option* d = app.add_option("--d", raw->d)->type_name("VALUE");
    CLI::Option* cells = app.add_option("--cells", raw->cells)->type_name("N");
    CLI::Option* picture = app.add_option("--size", raw->size)->type_name("WxH");
    CLI::Option* view = app.add_option("--view", raw->view)->type_name("X0,X1,P0,P1");
    CLI::Option* harmonic = app.add_option("--harmonic", raw->harmonic)->type_name("H");
    CLI::Option* ratio = app.add_option("--ratio", raw->ratio)->type_name("R");
    CLI::Option* harmonic_phase = app.add_option("--harmonic-phase", raw->harmonic_phase)->type_name("DEG");
    app.add_flag("--separatrix", raw->separatrix);
    app.add_flag("--manifolds", raw->manifolds);
    app.add_flag("--axes", raw->axes);
    app.add_flag("--flip", raw->flip);
    CLI::Option* colours = app.add_option("--colours", raw->colours)->type_name("program|log");
    CLI::Option* orbit = app.add_option("--orbit", raw->orbits)->type_name("X,XP")->allow_extra_args(false);
    CLI::Option* phases = app.add_option("--phases", raw->phases)->type_name("P0:P1:M");
    CLI::Option* shard = app.add_option("--shard", raw->shard)->type_name("K/N");
    app.add_flag("--resume", raw->resume);
    app.add_flag("-h,--help", raw->help);
    app.add_flag("--version", raw->version);
    try {
        app.parse(argc, argv);
    } catch (const CLI::Error& e) {
        std::string what = e.what();
        for (char& c : what)
            if (c == '\n' || c == '\r') c = ' ';
        snprintf(message, size, "%s", what.c_str());
        return false;
    } catch (const std::exception& e) {
        snprintf(message, size, "%s", e.what());
        return false;
    }
    raw->has_render = render->count() > 0;
    raw->has_scan = scan->count() > 0;
    raw->has_track = track->count() > 0;
    raw->has_csv = csv->count() > 0;
    raw->has_phase = phase->count() > 0;
    raw->has_d = d->count() > 0;
    raw->has_cells = cells->count() > 0;
    raw->has_size = picture->count() > 0;
    raw->has_view = view->count() > 0;
    raw->has_harmonic = harmonic->count() > 0;
    raw->has_ratio = ratio->count() > 0;
    raw->has_harmonic_phase = harmonic_phase->count() > 0;
    raw->has_colours = colours->count() > 0;
    raw->has_orbits = orbit->count() > 0;
    raw->has_phases = phases->count() > 0;
    raw->has_shard = shard->count() > 0;
    return true;
}

const struct {
    const char* name;
    bool RawOptions::*given;
} OPTIONAL_OPTIONS[] = {
    {"--phase", &RawOptions::has_phase}, {"--d", &RawOptions::has_d},       {"--cells", &RawOptions::has_cells},
    {"--size", &RawOptions::has_size},   {"--view", &RawOptions::has_view}, {"--separatrix", &RawOptions::separatrix},
    {"--csv", &RawOptions::has_csv},     {"--manifolds", &RawOptions::manifolds},
    {"--harmonic", &RawOptions::has_harmonic}, {"--ratio", &RawOptions::has_ratio},
    {"--harmonic-phase", &RawOptions::has_harmonic_phase}, {"--axes", &RawOptions::axes},
    {"--flip", &RawOptions::flip}, {"--colours", &RawOptions::has_colours}, {"--orbit", &RawOptions::has_orbits},
    {"--phases", &RawOptions::has_phases}, {"--shard", &RawOptions::has_shard}, {"--resume", &RawOptions::resume},
};
bool parse_harmonic(const RawOptions& raw, CliOptions* out, char* message, size_t size) {
    if (raw.has_harmonic) {
        long long n = 0;
        if (!parse_int_in(raw.harmonic, harmonic_min_number, harmonic_max_number, &n)) {
            char why[64];
            snprintf(why, sizeof why, "expected a whole number from %d to %d", harmonic_min_number,
                     harmonic_max_number);
            return fail(message, size, "--harmonic", raw.harmonic, why);
        }
        out->harmonic = (int)n;
        out->has_harmonic = true;
    }
    if (raw.has_ratio) {
        if (!parse_real(raw.ratio, &out->ratio) || out->ratio < 0 || out->ratio > harmonic_max_ratio)
            return fail(message, size, "--ratio", raw.ratio, "expected a number from 0 to 2");
        out->has_ratio = true;
    }
    if (raw.has_harmonic_phase) {
        if (!parse_real(raw.harmonic_phase, &out->harmonic_phase_degrees))
            return fail(message, size, "--harmonic-phase", raw.harmonic_phase, "expected a finite number of degrees");
        out->has_harmonic_phase = true;
    }
    return true;
}

// The first option given that only a scan's table takes (--csv also goes with --track), or null.
const char* scan_only(const RawOptions& r, bool with_csv = true) {
    return with_csv && r.has_csv ? "--csv" : r.has_phases ? "--phases" : r.has_shard ? "--shard" : r.resume ? "--resume" : nullptr;
}

// The first option of the table that was given, or null.
const char* first_optional_given(const RawOptions& r) {
    for (const auto& o : OPTIONAL_OPTIONS)
        if (r.*o.given) return o.name;
    return nullptr;
}

// The first option given that only a picture takes (--size too, with_size).
const char* first_drawing_option(const RawOptions& r, bool with_size) {
    return with_size && r.has_size ? "--size"
           : r.has_view            ? "--view"
           : r.separatrix          ? "--separatrix"
           : r.manifolds           ? "--manifolds"
           : r.axes                ? "--axes"
           : r.flip                ? "--flip"
           : r.has_colours         ? "--colours"
           : r.has_orbits          ? "--orbit"
                                   : nullptr;
}

// A mode that writes a table: `refused` (an option it cannot take) is
// refused, and it needs --csv.
bool table_mode(const RawOptions& raw, const char* mode, const char* refused, const char* why, const char* csv,
                char* message, size_t size) {
    if (refused) snprintf(message, size, "%s does not apply to %s, %s", refused, mode, why);
    else if (raw.csv.empty()) snprintf(message, size, "%s needs --csv %s", mode, csv);
    return !refused && !raw.csv.empty();
}

bool parse_values(const RawOptions& raw, CliOptions* out, char* message, size_t size) {
    if (raw.has_phase) {
        if (!parse_real(raw.phase, &out->phase_degrees))
            return fail(message, size, "--phase", raw.phase, "expected a finite number of degrees");
        out->has_phase = true;
    }
    if (raw.has_cells) {
        long long n = 0;
        if (!parse_int_in(raw.cells, 0, CLI_MAX_CELLS, &n)) {
            char why[64];
            snprintf(why, sizeof why, "expected a whole number from 0 to %d", CLI_MAX_CELLS);
            return fail(message, size, "--cells", raw.cells, why);
        }
        out->cells = (int)n;
        out->has_cells = true;
    }
    if (raw.has_d && !parse_real(raw.d, &out->d)) return fail(message, size, "--d", raw.d, "expected a finite number");
    if (raw.has_size && !parse_size(raw.size, out, message, size)) return false;
    if (raw.has_view && !parse_view(raw.view, out, message, size)) return false;
    out->separatrix = raw.separatrix;
    out->manifolds = raw.manifolds;
    out->axes = raw.axes;
    out->flip = raw.flip;
    if (raw.has_colours) {
        if (raw.colours != "program" && raw.colours != "log")
            return fail(message, size, "--colours", raw.colours, "expected program or log");
        out->scale = raw.colours == "log" ? 1 : 0;
    }
    if (raw.orbits.size() > (size_t)CLI_MAX_ORBITS) {
        snprintf(message, size, "--orbit: at most %d orbits", CLI_MAX_ORBITS);
        return false;
    }
    for (const std::string& o : raw.orbits) {
        float x, xp;
        if (!parse_pair(o, &x, &xp)) return fail(message, size, "--orbit", o, "expected X,XP, two finite numbers");
        out->orbits.push_back(x);
        out->orbits.push_back(xp);
    }
    if (raw.has_phases && raw.has_phase) {
        snprintf(message, size, "--phase and --phases cannot be used together");
        return false;
    }
    if (raw.has_phases && !parse_phases(raw.phases, out, message, size)) return false;
    if (raw.has_shard && !parse_shard(raw.shard, out, message, size)) return false;
    out->resume = raw.resume;
    return parse_harmonic(raw, out, message, size);
}

}  // namespace

// The request, or false with the message; parse_request's messages quote the
// user's words, which may hold line ends or other control bytes.
static bool parse_request(int argc, const char* const* argv, CliOptions* out, char* message, size_t size);

bool cli_parse(int argc, const char* const* argv, CliOptions* out, char* message, size_t size) {
    if (parse_request(argc, argv, out, message, size)) return true;
    one_line(message, size);  // one line, whatever was quoted
    return false;
}

static bool parse_request(int argc, const char* const* argv, CliOptions* out, char* message, size_t size) {
    *out = CliOptions();
    if (size) message[0] = 0;
    if (argc <= 1 || !argv) return true;
    RawOptions raw;
    if (!collect(argc, argv, &raw, message, size)) return false;
    if (raw.help || raw.version) {
        out->mode = raw.help ? CLI_HELP : CLI_VERSION;
        return true;
    }
    if (raw.has_render + raw.has_scan + raw.has_track > 1) {
        snprintf(message, size, "--render, --scan and --track cannot be used together");
        return false;
    }
    if (raw.has_render) {
        if (raw.render.empty()) return fail(message, size, "--render", "''", "needs a file name");
        if (const char* name = scan_only(raw)) {
            snprintf(message, size, "%s goes with --scan%s, not with --render", name,
                     raw.has_csv ? " or --track" : "");
            return false;
        }
        out->mode = CLI_RENDER;
        out->output = raw.render;
        size_t n = raw.render.size();
        out->svg = n >= 4 && (raw.render.compare(n - 4, 4, ".svg") == 0 || raw.render.compare(n - 4, 4, ".SVG") == 0);
    } else if (raw.has_scan) {
        if (!parse_scan(raw.scan, out, message, size)) return false;
        const char* name = raw.has_d ? "--d" : first_drawing_option(raw, false);
        if (!table_mode(raw, "--scan", name, "which draws the full map", "OUT.csv", message, size)) return false;
        if (raw.resume && raw.csv == "-") {
            snprintf(message, size, "--resume needs a CSV file to add to, not standard output (-)");
            return false;
        }
        out->mode = CLI_SCAN;
        out->output = raw.csv;
    } else if (raw.has_track) {
        if (!parse_track(raw.track, out, message, size)) return false;
        const char* name = first_drawing_option(raw, true);
        if (!name) name = scan_only(raw, false);
        if (!table_mode(raw, "--track", name, "which draws nothing", "OUT.csv (or - for standard output)", message,
                        size))
            return false;
        out->mode = CLI_TRACK;
        out->output = raw.csv;
    } else {
        const char* name = first_optional_given(raw);
        snprintf(message, size, "%s needs --render, --scan or --track", name ? name : "an option");
        return false;
    }
    return parse_values(raw, out, message, size);
}

bool cli_check_config_value(const char* key, const char* value, bool is_cells, char* message, size_t size) {
    double v = 0;
    long long n = 0;
    if (is_cells ? parse_int_in(value, 0, CLI_MAX_CELLS, &n) : parse_real(value, &v)) return true;
    char why[64];
    if (is_cells) snprintf(why, sizeof why, "expected a whole number from 0 to %d", CLI_MAX_CELLS);
    else snprintf(why, sizeof why, "expected a finite number of degrees");
    std::string where = std::string("config.txt: ") + key + ":";
    fail(message, size, where.c_str(), value, why);
    one_line(message, size);  // one line, whatever the file holds
    return false;
}

// Point k of n evenly spaced from a to b, the ends exact, rounded to 15 digits
// so that 0:1.6:3 gives 0.8 and not 0.7999999999999999: the table shows the
// value as it would be typed, and the map is drawn with that value.
static double spaced(double a, double b, int n, int k) {
    if (n <= 1 || k <= 0) return a;
    if (k >= n - 1) return b;
    char text[32];
    snprintf(text, sizeof text, "%.15g", a + (b - a) * k / (n - 1));
    return strtod(text, nullptr);
}

double cli_scan_d(const CliOptions& o, int k) { return spaced(o.scan_from, o.scan_to, o.scan_count, k); }

double cli_scan_phase(const CliOptions& o, int k) { return spaced(o.phases_from, o.phases_to, o.phases_count, k); }

std::string cli_help_text() {
    std::string s =
        "Usage: tessaline                 the viewer, full screen\n"
        "       tessaline --render OUT.png [--phase DEG] [--d VALUE] [--cells N] [--size WxH]\n"
        "                 [--view X0,X1,P0,P1] [--separatrix] [--manifolds] [--orbit X,XP]...\n"
        "                 [--axes] [--flip] [--colours program|log]\n"
        "                 [--harmonic H --ratio R --harmonic-phase DEG]\n"
        "       tessaline --render OUT.svg ... (the same figure as SVG)\n"
        "       tessaline --scan D0:D1:N [--phase DEG | --phases P0:P1:M] [--cells N] [--size WxH]\n"
        "                 [--harmonic H --ratio R --harmonic-phase DEG] [--shard K/N] [--resume]\n"
        "                 --csv OUT.csv\n"
        "       tessaline --track X,XP [--phase DEG] [--d VALUE] [--cells N] --csv OUT.csv|-\n"
        "       tessaline --help | --version\n"
        "\n"
        "  --render OUT.png     draw one map with no window and save it as a PNG\n"
        "  --scan D0:D1:N       draw N maps for d from D0 to D1 and write one CSV row each:\n"
        "                       d, measured bucket area, continuum area, their ratio, tune\n"
        "  --track X,XP         track the start at phase X, momentum deviation XP as a left\n"
        "                       click does (in float, the program's start) and write '#'\n"
        "                       lines (phase, d, cells, start, tune_degrees or none when\n"
        "                       it is lost, largest |xp|), then rows cell,x,xp from cell 0\n"
        "  --csv OUT.csv        where --scan or --track writes its rows (- for --track:\n"
        "                       standard output)\n"
        "  --phase DEG          accelerating phase in degrees (default: config.txt, else -30)\n"
        "  --cells N            cells to track (default: config.txt, else 100)\n"
        "  --d VALUE            step of the map (default 1)\n"
        "  --size WxH           picture size in pixels (default 1920x1080)\n"
        "  --view X0,X1,P0,P1   phase X0 to X1 across, momentum deviation P0 at the top\n"
        "                       to P1 at the bottom (default: the full map, 0,2pi,-3,3)\n"
        "                       starting points outside 0 <= x <= 2pi are mid grey: lost at once\n"
        "  --separatrix         draw the continuum separatrix (d -> 0) in yellow over the map\n"
        "  --manifolds          draw the map's own bucket edge at d: its unstable manifold\n"
        "                       in red, its stable manifold in cyan\n"
        "  --harmonic H         second RF harmonic's number, 2 to 8 (default: config.txt, else 2)\n"
        "  --ratio R            its voltage ratio, 0 to 2; 0 is none (default: config.txt, else 0)\n"
        "  --harmonic-phase DEG its phase in degrees (default: config.txt, else 0)\n"
        "  --orbit X,XP         track the start (X, XP) with the map's d and draw its points\n"
        "                       (up to 16 times)\n"
        "  --axes               a figure: frame, ticks, axis titles, title and colour legend;\n"
        "                       --size is the whole figure, the map's rectangle is recorded\n"
        "  --flip               +xp at the top\n"
        "  --colours log        viridis over log(cells survived) (default: program, the\n"
        "                       viewer's colours)\n"
        "  --phases P0:P1:M     scan M phases from P0 to P1 degrees too (a phase column)\n"
        "  --shard K/N          write only rows K, K+N, K+2N, ... (1 <= K <= N)\n"
        "  --resume             keep the rows OUT.csv holds for the same scan, add the rest,\n"
        "                       each row written as it is made\n"
        "  -h, --help           this text\n"
        "  --version            the program's name, version and licence\n"
        "\n"
        "--render and --scan read config.txt but never write it; the PNG records how it\n"
        "was made (phase, d, cells, view, version; the second harmonic when on) in text\n"
        "chunks, and --scan's table names a second harmonic in # lines above its header.\n"
        "\n"
        "Measured areas are the black (surviving) pixels of the full map as the program\n"
        "draws it, times one pixel's area: at --size for --scan, at the window's size for\n"
        "the viewer's status line.\n"
        "\n"
        "Keys of the viewer:\n";
    for (int i = 0; i < viewer_key_count; i++) {
        char line[160];
        snprintf(line, sizeof line, "  %-19s  %s\n", viewer_keys[i].keys, viewer_keys[i].action);
        s += line;
    }
    s += "\n"
         "Exit codes: 0 done, 1 the render or a write failed, 2 bad arguments.\n";
    return s;
}

std::string cli_version_text() { return TESS_VERSION_TEXT "\n" TESS_COPYRIGHT ". Licence: " TESS_LICENSE "\n"; }
