// A scan's rows and its file (see scan_plan.h). Rows are keyed by their own
// text, so that a resumed file and a fresh run agree to the last digit.
#include "app/model/scan_plan.h"

#include <cmath>
#include <cstdio>

#include "app/model/map_space.h"
#include "app/model/real_text.h"
#include "app/version.h"

namespace {

bool has_phase_column(const CliOptions& o) { return o.phases_count > 0; }

}  // namespace

void scan_rows(const CliOptions& o, double phase_degrees, std::vector<ScanRow>* out) {
    out->clear();
    int phases = has_phase_column(o) ? o.phases_count : 1;
    long long number = 0;
    for (int j = 0; j < phases; j++) {
        double phase = has_phase_column(o) ? cli_scan_phase(o, j) : phase_degrees;
        for (int k = 0; k < o.scan_count; k++, number++) {
            if (number % o.shards != o.shard - 1) continue;
            double d = cli_scan_d(o, k);
            std::string key = has_phase_column(o) ? real_text(phase) + "," + real_text(d) : real_text(d);
            out->push_back({phase, d, key});
        }
    }
}

std::string scan_head(const CliOptions& o, double phase_degrees, int cells, const Harmonic& second) {
    char line[400];
    std::string s = std::string("# ") + TESS_VERSION_TEXT + ", --scan " + real_text(o.scan_from) + ":" +
                    real_text(o.scan_to) + ":" + std::to_string(o.scan_count) + "\n";
    std::string phase = has_phase_column(o) ? "phases " + real_text(o.phases_from) + ":" + real_text(o.phases_to) +
                                                  ":" + std::to_string(o.phases_count)
                                            : "phase " + real_text(phase_degrees);
    snprintf(line, sizeof line, "# %s degrees, %d cells, %dx%d pixels, view %s,%s,%s,%s (the full map)\n",
             phase.c_str(), cells, o.width, o.height, real_text(map_x_min).c_str(), real_text(map_x_max).c_str(),
             real_text(map_xp_top).c_str(), real_text(map_xp_bottom).c_str());
    s += line;
    s += "# shard " + std::to_string(o.shard) + "/" + std::to_string(o.shards) + "\n";
    s += "# measured: the drawn map's black (surviving) pixels; continuum: the small-step limit's bucket\n";
    double limit = stability_limit_d(map_phase_radians(phase_degrees));
    if (harmonic_on(second)) {
        s += "# harmonic " + std::to_string(second.number) + "\n# ratio " + real_text(second.ratio) +
             "\n# harmonic phase " + real_text(second.phase_degrees) + "\n";
    } else if (has_phase_column(o)) {
        s += "# past d^2 |sin phase| = 4 a bucket's centre is unstable: survivors there are islands\n";
    } else if (limit > 0) {
        snprintf(line, sizeof line,
                 "# past d = %.6g the bucket's centre is unstable: survivors there are islands, not a bucket\n", limit);
        s += line;
    } else {
        s += "# no bucket at this phase: sin x - sin sp never changes sign\n";
    }
    s += "# an empty field: the figure does not exist there\n";
    s += has_phase_column(o) ? "phase," : "";
    return s + "d,measured_area,continuum_area,ratio,tune_degrees,measured_half_height,continuum_half_height\n";
}

// A CSV field: empty where the figure does not exist.
static std::string field(double v, bool exists = true) { return exists && std::isfinite(v) ? real_text(v) : ""; }

std::string scan_row_text(const ScanRow& r, const BucketFigures& f) {
    bool continuum = f.limit_d > 0 || f.flat_bottom;
    return r.key + "," + field(f.measured_area) + "," + field(f.continuum_area, continuum) + "," +
           field(f.ratio, continuum) + "," + field(f.tune_degrees) + "," + field(f.measured_half_height) + "," +
           field(f.continuum_half_height, continuum) + "\n";
}

bool scan_resume(const std::string& file, const std::string& head, std::string* kept, std::set<std::string>* keys,
                 std::string* why) {
    kept->clear();
    keys->clear();
    if (file.compare(0, head.size(), head) != 0) {
        *why = "its # lines or header are not this scan's";
        return false;
    }
    *kept = head;
    // A whole row has as many fields as the header, the head's last line.
    size_t header = head.rfind('\n', head.size() - 2) + 1;
    int fields = 0;
    for (size_t i = header; i < head.size(); i++) fields += head[i] == ',';
    const int key_fields = head.compare(header, 6, "phase,") == 0 ? 2 : 1;
    size_t at = head.size();
    while (at < file.size()) {
        size_t end = file.find('\n', at);
        if (end == std::string::npos) break;  // cut short: made again
        std::string line = file.substr(at, end - at);
        at = end + 1;
        size_t cut = 0;
        int commas = 0;
        for (char c : line) commas += c == ',';
        if (commas != fields) continue;  // not a whole row
        for (int f = 0; f < key_fields; f++) cut = line.find(',', cut) + 1;
        keys->insert(line.substr(0, cut - 1));
        *kept += line + "\n";
    }
    return true;
}
