// GrowArray appends against std::vector::push_back, real_array_sort against
// std::sort, and split_string on a megabyte of text.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/util/grow_array.h"
#include "framework/util/utils.h"

static const int APPENDS = 1000000;

template <int N>
struct Element {
    unsigned char bytes[N];
};

template <int N>
static void BM_array_append(benchmark::State& state) {
    Element<N> e;
    memset(&e, 1, sizeof e);
    for (auto _ : state) {
        GrowArray a = array_make(N);
        for (int i = 0; i < APPENDS; i++) {
            e.bytes[0] = (unsigned char)i;
            array_append(&a, &e);
        }
        benchmark::DoNotOptimize(a.data);
        array_free(a);
    }
    state.SetItemsProcessed(state.iterations() * APPENDS);
}

template <int N>
static void BM_vector_push_back(benchmark::State& state) {
    Element<N> e;
    memset(&e, 1, sizeof e);
    for (auto _ : state) {
        std::vector<Element<N>> v;
        for (int i = 0; i < APPENDS; i++) {
            e.bytes[0] = (unsigned char)i;
            v.push_back(e);
        }
        benchmark::DoNotOptimize(v.data());
    }
    state.SetItemsProcessed(state.iterations() * APPENDS);
}

BENCHMARK_TEMPLATE(BM_array_append, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_vector_push_back, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_array_append, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_vector_push_back, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_array_append, 64)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_vector_push_back, 64)->Unit(benchmark::kMillisecond);

static std::vector<double> random_doubles(int n) {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> u(-1e9, 1e9);
    std::vector<double> v(n);
    for (double& d : v) d = u(rng);
    return v;
}

static void BM_real_array_sort(benchmark::State& state) {
    std::vector<double> src = random_doubles(APPENDS);
    RealArray a = real_array_new(APPENDS);
    for (auto _ : state) {
        state.PauseTiming();
        memcpy(a, src.data(), src.size() * sizeof(double));
        state.ResumeTiming();
        real_array_sort(a);
        benchmark::DoNotOptimize(a[0]);
    }
    real_array_free(a);
}

static void BM_std_sort(benchmark::State& state) {
    std::vector<double> src = random_doubles(APPENDS), v(APPENDS);
    for (auto _ : state) {
        state.PauseTiming();
        v = src;
        state.ResumeTiming();
        std::sort(v.begin(), v.end());
        benchmark::DoNotOptimize(v[0]);
    }
}

BENCHMARK(BM_real_array_sort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_std_sort)->Unit(benchmark::kMillisecond);

static void BM_split_string(benchmark::State& state) {
    // A megabyte of comma-separated numbers, the shape typed settings split.
    std::string text;
    std::mt19937 rng(3);
    while (text.size() < (1u << 20)) text += std::to_string(rng() % 100000) + ",";
    for (auto _ : state) {
        StringList l = split_string(",", text.c_str());
        benchmark::DoNotOptimize(l);
        free_string_list(l);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
}

BENCHMARK(BM_split_string)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
