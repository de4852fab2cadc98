// Inputs the fuzzers found, kept in tests/fuzz_crashers/ as <target>_<what>,
// replayed through the very fuzz target that found them (tools/fuzz, compiled
// in here): each must now pass that target's checks, under every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/fuzz/fuzz_target.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> kept_inputs() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(TESS_FUZZ_CRASHERS, ec))
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The target whose name, followed by '_', starts the file name (the longest).
const FuzzTarget* target_for(const std::string& file) {
    const FuzzTarget* best = nullptr;
    for (const FuzzTarget& t : fuzz_targets()) {
        std::string prefix = std::string(t.name) + "_";
        if (file.compare(0, prefix.size(), prefix) == 0 && (!best || strlen(t.name) > strlen(best->name))) best = &t;
    }
    return best;
}

class FuzzCrasher : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzCrasher, PassesItsTargetsChecks) {
    const std::string name = GetParam();
    const FuzzTarget* target = target_for(name);
    ASSERT_NE(target, nullptr) << name << " names no fuzz target";
    std::ifstream in(fs::path(TESS_FUZZ_CRASHERS) / name, std::ios::binary);
    ASSERT_TRUE(in.good()) << name;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static std::vector<FuzzInitFn> prepared;
    if (target->init && std::find(prepared.begin(), prepared.end(), target->init) == prepared.end()) {
        target->init();
        prepared.push_back(target->init);
    }
    // A block of exactly the input's size, as libFuzzer hands it over.
    uint8_t* block = (uint8_t*)malloc(bytes.size() ? bytes.size() : 1);
    ASSERT_NE(block, nullptr);
    std::copy(bytes.begin(), bytes.end(), block);
    EXPECT_EQ(target->one(block, bytes.size()), 0) << name;
    free(block);
}

// Guards the path: with no inputs found, the replay would pass by running nothing.
TEST(FuzzCrashers, KeptInputsAreFound) { EXPECT_FALSE(kept_inputs().empty()) << TESS_FUZZ_CRASHERS; }

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    std::string s = info.param;
    for (char& c : s)
        if (!isalnum((unsigned char)c)) c = '_';
    return s;
}

INSTANTIATE_TEST_SUITE_P(Kept, FuzzCrasher, ::testing::ValuesIn(kept_inputs()), test_name);

}  // namespace
