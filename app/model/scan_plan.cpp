// A scan's rows and its file (see scan_plan.h). Rows are keyed by their own
// text, so that a resumed file and a fresh run agree to the last digit.
#include "app/model/scan_plan.h"

#include "app/model/real_text.h"

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

std::string scan_head(const CliOptions& o, double phase_degrees, int cells) {
    std::string head = "# tessaline scan: d " + real_text(o.scan_from) + ":" + real_text(o.scan_to) + ":" +
                       std::to_string(o.scan_count);
    if (has_phase_column(o))
        head += " phases " + real_text(o.phases_from) + ":" + real_text(o.phases_to) + ":" +
                std::to_string(o.phases_count);
    else
        head += " phase " + real_text(phase_degrees);
    head += " cells " + std::to_string(cells) + " size " + std::to_string(o.width) + "x" + std::to_string(o.height) +
            "\n# shard " + std::to_string(o.shard) + "/" + std::to_string(o.shards) + "\n";
    head += has_phase_column(o) ? "phase," : "";
    return head + "d,measured_area,continuum_area,ratio,tune_degrees\n";
}

std::string scan_row_text(const ScanRow& r, double measured, double continuum, double ratio, double tune) {
    return r.key + "," + real_text(measured) + "," + real_text(continuum) + "," + real_text(ratio) + "," +
           real_text(tune) + "\n";
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
    const int key_fields = head.find("\nphase,") != std::string::npos ? 2 : 1;
    size_t at = head.size();
    while (at < file.size()) {
        size_t end = file.find('\n', at);
        if (end == std::string::npos) break;  // cut short: made again
        std::string line = file.substr(at, end - at);
        at = end + 1;
        size_t cut = 0;
        int commas = 0;
        for (char c : line) commas += c == ',';
        if (commas != key_fields + 3) continue;  // not a whole row
        for (int f = 0; f < key_fields; f++) cut = line.find(',', cut) + 1;
        keys->insert(line.substr(0, cut - 1));
        *kept += line + "\n";
    }
    return true;
}
