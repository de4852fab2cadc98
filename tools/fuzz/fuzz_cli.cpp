// Fuzz target for the viewer's command line: the input, split at its zero
// bytes, is the argument list after the program's name. Whatever the words,
// parsing answers yes with values every mode can use, or no with one line.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/model/cli.h"
#include "tools/fuzz/fuzz_target.h"

TESS_FUZZ_TARGET(cli, nullptr) {
    std::vector<std::string> words(1, "tessaline");
    words.push_back("");
    for (size_t i = 0; i < size; i++) {
        if (data[i] == 0)
            words.push_back("");
        else
            words.back() += (char)data[i];
    }
    if (size == 0) words.pop_back();
    std::vector<const char*> argv;
    for (const std::string& w : words) argv.push_back(w.c_str());

    CliOptions o;
    char message[256];
    // The last word as config.txt's value, held to --phase's and --cells' limits.
    for (bool is_cells : {false, true})
        if (!cli_check_config_value(words[0].c_str(), words.back().c_str(), is_cells, message, sizeof message))
            fuzz_require(strchr(message, '\n') == nullptr && strstr(message, "config.txt") == message, "one line");
    message[0] = 0;
    if (!cli_parse((int)argv.size(), argv.data(), &o, message, sizeof message)) {
        fuzz_require(message[0] != 0 && strchr(message, '\n') == nullptr, "a refusal is one line");
        return 0;
    }
    fuzz_require(o.width >= 1 && o.height >= 1 && o.width <= CLI_MAX_SIDE && o.height <= CLI_MAX_SIDE &&
                     (long long)o.width * o.height <= CLI_MAX_PIXELS,
                 "size within bounds");
    fuzz_require(std::isfinite(o.d) && std::isfinite(o.phase_degrees), "finite d and phase");
    fuzz_require(o.view[0] < o.view[1] && o.view[2] < o.view[3], "a view of positive size");
    for (double v : o.view) fuzz_require(std::isfinite(v), "finite view");
    if (o.has_cells) fuzz_require(o.cells >= 0 && o.cells <= CLI_MAX_CELLS, "cells within bounds");
    if (o.mode == CLI_SCAN) {
        fuzz_require(o.scan_count >= 1 && o.scan_count <= CLI_MAX_SCAN_POINTS, "scan count");
        for (int k : {0, o.scan_count / 2, o.scan_count - 1})
            fuzz_require(std::isfinite(cli_scan_d(o, k)), "finite scan d");
    }
    if (o.mode == CLI_TRACK)
        fuzz_require(std::isfinite(o.track_x) && std::isfinite(o.track_xp), "a finite start to track");
    if (o.mode == CLI_RENDER || o.mode == CLI_SCAN || o.mode == CLI_TRACK)
        fuzz_require(!o.output.empty(), "an output file");
    fuzz_require(o.shard >= 1 && o.shard <= o.shards, "a shard of the scan");
    fuzz_require(o.orbits.size() % 2 == 0 && o.orbits.size() <= 2 * CLI_MAX_ORBITS, "orbits in pairs");
    for (float v : o.orbits) fuzz_require(std::isfinite(v), "finite orbit starts");
    if (o.phases_count > 0) {
        fuzz_require((long long)o.phases_count * o.scan_count <= CLI_MAX_SCAN_POINTS, "phases times d within bounds");
        for (int k : {0, o.phases_count / 2, o.phases_count - 1})
            fuzz_require(std::isfinite(cli_scan_phase(o, k)), "finite scan phase");
    }
    return 0;
}
