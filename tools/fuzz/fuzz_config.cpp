// Fuzz target for the configuration store: a file of any bytes read with one
// of the separators, then getters and setters driven by the input (array
// getters fill heap arrays of exactly the capacity they are given), and a
// rewrite that must read back as the same list.
//
// Input: byte 0 picks the separator, bytes 1-2 the file's length, then the
// file, then operations of one byte each with their arguments.
#include <string>
#include <utility>
#include <vector>

#include "framework/config/config.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

// None of them occurs in a flag key's " (Y/N)", so set keys never hold one.
const char separators[] = {':', '=', ';', '\t', '|', '#'};

typedef std::vector<std::pair<std::string, std::string>> Pairs;

bool blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// What a file line can carry as a key or value: no NUL or line end, no
// blank at either end, and in a key no separator.
std::string field(const std::string& s, char sep, bool key) {
    std::string out;
    for (char c : s)
        if (c != 0 && c != '\n' && c != '\r' && !(key && c == sep)) out += c;
    size_t b = 0, e = out.size();
    while (b < e && blank(out[b])) b++;
    while (e > b && blank(out[e - 1])) e--;
    return out.substr(b, e - b);
}

Pairs pairs_of(GrowArray list) {
    Pairs out;
    const ConfigEntry* e = (const ConfigEntry*)list.data;
    for (uint32_t i = 0; i < list.count; i++) out.push_back({e[i].key, e[i].value});
    return out;
}

bool all_fields(const Pairs& p, char sep) {
    for (const auto& kv : p)
        if (field(kv.first, sep, true) != kv.first || field(kv.second, sep, false) != kv.second) return false;
    return true;
}

double double_of(FuzzInput* in) {
    uint64_t bits = in->u32() | (uint64_t)in->u32() << 32;
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
}

float float_of(FuzzInput* in) {
    uint32_t bits = in->u32();
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

// An array getter into a heap array of exactly `capacity` elements.
template <typename T>
void get_array(GrowArray list, const std::string& q, unsigned capacity,
               void (*get)(GrowArray, const char*, T*, unsigned, unsigned*)) {
    std::vector<T> out(capacity);
    unsigned count = 12345;
    get(list, q.c_str(), capacity ? out.data() : nullptr, capacity, &count);
    fuzz_require(config_has(list, q.c_str()) ? count >= 1 : count == 0, "array getter count");
}

void lookups(GrowArray list, FuzzInput* in, uint8_t op) {
    std::string q = in->piece();
    const char* query = q.c_str();
    bool has = config_has(list, query) != 0;
    switch (op) {
    case 0:
        fuzz_require((config_get(list, query) != nullptr) == has, "config_get disagrees with config_has");
        fuzz_require((config_get_nth(list, query, 1) != nullptr) == has, "first match disagrees with config_has");
        break;
    case 1: {
        double d = config_get_double(list, query, 1.5);
        fuzz_require(has || d == 1.5, "a missing double is not the default");
        break;
    }
    case 2: fuzz_require(has || config_get_int(list, query) == 0, "a missing int is not 0"); break;
    case 3: {
        int flag = config_get_flag(list, query);
        fuzz_require((flag == 0 || flag == 1) && (has || flag == 0), "flag neither 0 nor 1");
        break;
    }
    case 4: get_array<int>(list, q, in->byte() % 9, config_get_ints); break;
    case 5: get_array<float>(list, q, in->byte() % 9, config_get_floats); break;
    case 6: get_array<double>(list, q, in->byte() % 9, config_get_doubles); break;
    default: config_get_nth(list, query, (int8_t)in->byte()); break;
    }
}

void changes(GrowArray* list, FuzzInput* in, uint8_t op, char sep) {
    std::string key = field(in->piece(), sep, true);
    const char* k = key.c_str();
    switch (op) {
    case 8: config_set(list, k, field(in->piece(), sep, false).c_str()); break;
    case 9: config_set_int(list, k, (int)in->u32()); break;
    case 10: config_set_double(list, k, double_of(in)); break;
    case 11: config_set_float(list, k, float_of(in)); break;
    case 12:
        if (key.empty()) return;  // " (Y/N)" alone would lose its blank on the way back
        config_set_flag(list, k, in->byte() & 1);
        break;
    case 13: {
        unsigned n = in->byte() % 6;
        std::vector<int> ints(n);
        std::vector<float> floats(n);
        std::vector<double> doubles(n);
        for (unsigned i = 0; i < n; i++) ints[i] = (int)in->u32(), floats[i] = float_of(in), doubles[i] = double_of(in);
        int which = in->byte() % 3;
        if (which == 0) config_set_ints(list, k, ints.data(), n);
        if (which == 1) config_set_floats(list, k, floats.data(), n);
        if (which == 2) config_set_doubles(list, k, doubles.data(), n);
        break;
    }
    case 14: {
        std::string value = field(in->piece(), sep, false);
        if (in->byte() & 1) {
            config_default(list, k, value.c_str());
        } else {
            int had = config_has(*list, k);
            int replaced = config_replace(list, k, value.c_str());
            fuzz_require(!replaced || had, "config_replace replaced a key that is not there");
            return;
        }
        break;
    }
    default: {
        uint32_t before = list->count;
        int removed = config_remove(list, k);
        fuzz_require(list->count + (removed ? 1 : 0) == before, "config_remove miscounted");
        return;
    }
    }
    fuzz_require(config_has(*list, k), "a key just set is not found");
}

}  // namespace

TESS_FUZZ_TARGET(config, nullptr) {
    FuzzInput in = {data, size, 0};
    char sep = separators[in.byte() % sizeof separators];
    size_t length = in.byte() | (size_t)in.byte() << 8;
    FuzzTempFile file("config", in.bytes(length));
    FuzzTempFile rewritten("config_out");

    GrowArray list = read_config(file.c_str(), sep);
    fuzz_require(all_fields(pairs_of(list), sep), "a read entry holds what its line cannot");
    for (int n = 0; n < 64 && !in.done(); n++) {
        uint8_t op = in.byte() % 16;
        if (op < 8)
            lookups(list, &in, op);
        else
            changes(&list, &in, op, sep);
    }
    const Pairs before = pairs_of(list);
    fuzz_require(all_fields(before, sep), "a set entry holds what its line cannot");
    fuzz_require(write_config(list, rewritten.c_str(), sep) == 1, "the rewrite failed");
    GrowArray again = read_config(rewritten.c_str(), sep);
    fuzz_require(pairs_of(again) == before, "the rewrite does not read back as the same list");
    free_config(list);
    free_config(again);
    return 0;
}
