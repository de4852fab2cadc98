// Fuzz target for the utilities' readers of outside data: read_whole_file on
// a file of any bytes, split_string, split_words and parse_real_list on any
// text, and the real arrays that come out, sorted, resized and combined.
//
// Input: byte 0 steers the array operations, then a separator piece (one byte
// of length), then the rest: the file's bytes, and up to its first 0 the text.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "framework/util/utils.h"
#include "tools/fuzz/fuzz_target.h"

namespace {

void whole_file(const std::string& bytes) {
    std::string path;
    int length = -7;
    void* block;
    {
        FuzzTempFile file("utils", bytes);
        path = file.path;
        block = read_whole_file(file.c_str(), &length);
    }  // removed: read again below as a missing file
    fuzz_require(length == (int)bytes.size(), "read_whole_file length");
    fuzz_require(bytes.empty() ? block == nullptr : block && memcmp(block, bytes.data(), bytes.size()) == 0,
                 "read_whole_file bytes");
    free(block);
    length = -7;
    fuzz_require(read_whole_file(path.c_str(), &length) == nullptr && length == -7, "a missing file was read");
}

std::vector<std::string> strings_of(StringList list) {
    std::vector<std::string> out;
    for (int i = 0; i < list_count(list); i++) out.push_back(list[i]);
    return out;
}

void lists(const std::string& separator, const char* text) {
    StringList list = split_string(separator.c_str(), text);
    std::vector<std::string> pieces = strings_of(list);
    free_string_list(list);
    std::string joined;
    for (size_t i = 0; i < pieces.size(); i++) joined += (i ? separator : "") + pieces[i];
    fuzz_require(!pieces.empty() && joined == text, "split_string pieces do not join back into the text");
    if (!separator.empty())
        for (const std::string& p : pieces)
            fuzz_require(p.find(separator) == std::string::npos, "separator left in a piece");

    StringList words = split_words(text);
    std::string squeezed, concatenated;
    for (const char* p = text; *p; p++)
        if (!isspace((unsigned char)*p)) squeezed += *p;
    std::vector<char*> taken(words, words + list_count(words));
    free_list_block(words);  // the strings are taken over
    for (char* w : taken) {
        fuzz_require(*w != 0, "an empty word");
        for (char* c = w; *c; c++) fuzz_require(!isspace((unsigned char)*c), "white space inside a word");
        concatenated += w;
        free(w);
    }
    fuzz_require(concatenated == squeezed, "split_words lost or added characters");
}

bool same_double(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void reals(const char* text, uint8_t steer) {
    RealArray a = parse_real_list(text);
    StringList pieces = split_string(",", text);
    int n = real_array_count(a);
    fuzz_require(n == list_count(pieces), "parse_real_list count");
    for (int i = 0; i < n; i++) fuzz_require(same_double(a[i], atof(pieces[i])), "parse_real_list value");
    free_string_list(pieces);

    std::vector<double> expected(a, a + n);
    RealArray sorted = real_array_copy(a);
    real_array_sort(sorted);
    if (std::none_of(expected.begin(), expected.end(), [](double v) { return std::isnan(v); })) {
        std::sort(expected.begin(), expected.end());
        for (int i = 0; i < n; i++) fuzz_require(sorted[i] == expected[i], "real_array_sort order");
    }
    // Pairwise operations on arrays of other lengths stay inside the shorter.
    RealArray b = real_array_new_zeroed(steer % 7);
    real_array_add(a, b);
    real_array_add_scaled(b, 0.5, sorted);
    real_array_multiply(sorted, b);
    real_array_copy_into(b, a);
    real_array_grow(&b, steer >> 4);
    real_array_resize(&sorted, (unsigned)(steer & 15));
    real_array_scale(b, -1);
    if (n > 0) real_array_max(a);
    real_array_mean(b);
    real_array_rms(sorted);
    real_array_norm(a);
    real_array_free(a);
    real_array_free(b);
    real_array_free(sorted);
}

}  // namespace

TESS_FUZZ_TARGET(utils, nullptr) {
    FuzzInput in = {data, size, 0};
    uint8_t steer = in.byte();
    std::string separator = in.piece();
    separator = separator.substr(0, separator.find('\0'));
    const std::string rest = in.rest();
    whole_file(rest);
    const char* text = rest.c_str();  // up to the first 0
    lists(separator, text);
    reals(text, steer);
    return 0;
}
