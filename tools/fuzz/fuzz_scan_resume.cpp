// Fuzz target for --resume's reader of an earlier scan file: the input is the
// file. Whatever it holds, the answer is a refusal with a reason, or the head
// followed by whole rows only, each with its key kept.
#include <cstring>
#include <set>
#include <string>

#include "app/model/scan_plan.h"
#include "tools/fuzz/fuzz_target.h"

TESS_FUZZ_TARGET(scan_resume, nullptr) {
    CliOptions o;
    o.mode = CLI_SCAN;
    o.scan_from = 0.5;
    o.scan_to = 2;
    o.scan_count = 4;
    o.phases_from = -60;
    o.phases_to = -30;
    o.phases_count = size % 2 ? 3 : 0;  // with and without the phase column
    const std::string head = scan_head(o, -30, 100, Harmonic());
    // Inputs that start with the head reach the row reader; the rest test the refusal.
    std::string file = (size && data[0] == 'H' ? head : std::string()) + std::string((const char*)data, size);
    std::string kept, why;
    std::set<std::string> keys;
    if (!scan_resume(file, head, &kept, &keys, &why)) {
        fuzz_require(!why.empty() && kept.empty() && keys.empty(), "a refusal says why and keeps nothing");
        return 0;
    }
    fuzz_require(kept.compare(0, head.size(), head) == 0, "the head first");
    const size_t fields = o.phases_count ? 8 : 7;
    size_t rows = 0;
    for (size_t at = head.size(); at < kept.size(); rows++) {
        size_t end = kept.find('\n', at);
        fuzz_require(end != std::string::npos, "whole rows only");
        std::string line = kept.substr(at, end - at);
        size_t commas = 0;
        for (char c : line) commas += c == ',';
        fuzz_require(commas + 1 == fields, "rows of the header's width");
        at = end + 1;
    }
    fuzz_require(keys.size() <= rows, "a key per kept row at most");
    return 0;
}
