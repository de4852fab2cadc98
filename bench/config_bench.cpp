// The configuration store: read_config of a 10,000-line file, and 10^5
// config_get lookups on the list it gives.
#include <benchmark/benchmark.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>

#include "framework/config/config.h"

static const int LINES = 10000;

// Keys start with varied words, as a real file's do; the shared-prefix case
// is measured separately.
static void key_of(int i, bool shared_prefix, char* out, size_t size) {
    static const char* words[] = {"Window", "accelerating", "Max", "font", "Colour", "phase", "Screen",
                                  "blur", "Texture", "mouse", "Grid", "zoom", "Palette", "step", "Log", "vsync"};
    if (shared_prefix) snprintf(out, size, "Setting number %d", i);
    else snprintf(out, size, "%s %s %d", words[i % 16], words[(i / 16) % 16], i);
}

static std::string make_file(bool shared_prefix) {
    std::string path = (std::filesystem::temp_directory_path() / "tess_config_bench.txt").string();
    FILE* f = fopen(path.c_str(), "wb");
    char key[64];
    for (int i = 0; i < LINES; i++) {
        key_of(i, shared_prefix, key, sizeof key);
        fprintf(f, "  %s : value %d, %d\r\n", key, i * 3, i * 7);
    }
    fclose(f);
    return path;
}

static void BM_read_config_10000_lines(benchmark::State& state) {
    std::string path = make_file(false);
    for (auto _ : state) {
        GrowArray list = read_config(path.c_str(), ':');
        benchmark::DoNotOptimize(list.count);
        free_config(list);
    }
    state.SetItemsProcessed(state.iterations() * LINES);
    std::filesystem::remove(path);
}

// Every lookup scans all entries, as the shortest-key rule requires; the
// queries are whole keys spread over the list, in another case.
static void BM_config_get_100000(benchmark::State& state) {
    bool shared_prefix = state.range(0) != 0;
    std::string path = make_file(shared_prefix);
    GrowArray list = read_config(path.c_str(), ':');
    char queries[64][64];
    for (int q = 0; q < 64; q++) {
        key_of(q * 151, shared_prefix, queries[q], sizeof queries[q]);
        for (char* c = queries[q]; *c; c++) *c = (char)toupper((unsigned char)*c);
    }
    for (auto _ : state) {
        for (int i = 0; i < 100000; i++) benchmark::DoNotOptimize(config_get(list, queries[i & 63]));
    }
    state.SetItemsProcessed(state.iterations() * 100000);
    free_config(list);
    std::filesystem::remove(path);
}

BENCHMARK(BM_read_config_10000_lines)->Unit(benchmark::kMillisecond);
// Argument 0: varied keys; 1: every key shares a 15-character prefix.
BENCHMARK(BM_config_get_100000)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
