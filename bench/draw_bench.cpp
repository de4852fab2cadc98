// The drawing library's pure hot spots: one full in-place mipmap chain of a
// font-sized RGBA image, and nearest_colour_index over a sweep of colours.
#include <benchmark/benchmark.h>

#include <vector>

#include "framework/draw/palette.h"
#include "framework/draw/texture.h"

static void BM_MipmapChain(benchmark::State& state) {
    int size = (int)state.range(0);
    std::vector<unsigned char> source((size_t)size * size * 4);
    for (size_t i = 0; i < source.size(); i++) source[i] = (unsigned char)(i * 131 + 7);
    std::vector<unsigned char> work(source.size());
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        int w = size, h = size;
        while (mipmap_next_level(4, &w, &h, work.data())) {
        }
        benchmark::DoNotOptimize(work.data());
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)source.size());
}
BENCHMARK(BM_MipmapChain)->Arg(256)->Arg(1024);

static void BM_NearestColourIndex(benchmark::State& state) {
    int colour = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nearest_colour_index(colour));
        colour = (colour + 0x010307) & 0xFFFFFF;
    }
}
BENCHMARK(BM_NearestColourIndex);

BENCHMARK_MAIN();
