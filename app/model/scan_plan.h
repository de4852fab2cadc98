// The rows of a scan over d (and phase): which this run makes (one shard of
// them), the file's "#" lines that say what it holds, and, to resume, which
// rows an earlier file already has. No GL and no files.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "app/model/cli.h"
#include "app/model/harmonic.h"
#include "app/model/physics.h"

struct ScanRow {
    double phase_degrees;
    double d;
    std::string key;  // the row's leading fields (phase and d), as written
};

// This shard's rows, phase by phase and d by d within each; rows are
// numbered across the whole scan and shard K of N takes those with number % N == K - 1.
void scan_rows(const CliOptions& o, double phase_degrees, std::vector<ScanRow>* out);
// The "#" lines and the header: how the table was made (version, phase or
// phases, cells, size, view, the shard, a second harmonic) and how to read it,
// then the columns.
std::string scan_head(const CliOptions& o, double phase_degrees, int cells, const Harmonic& second);
// One CSV row: the key, then measured and continuum area, their ratio, the
// tune and the measured and continuum half-heights; empty where a figure does
// not exist.
std::string scan_row_text(const ScanRow& r, const BucketFigures& f);

// An earlier file of the same scan: its complete rows kept (a row cut short
// by a killed job is dropped) and their keys, the head first. False, with the
// reason, when its "#" lines say another scan or its header differs.
bool scan_resume(const std::string& file, const std::string& head, std::string* kept, std::set<std::string>* keys,
                 std::string* why);
