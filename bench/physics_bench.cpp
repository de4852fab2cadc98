// The physics module's costs: the continuum area's quadrature (an ordinary
// phase and one next to -90 degrees, where it needs the most nodes), one
// orbit of 1000 cells tracked like the program, and a CPU map of 256 x 256
// pixels at 1000 cells counted for its bucket area.
#include <benchmark/benchmark.h>

#include "app/model/map_space.h"
#include "app/model/physics.h"

static void BM_continuum_bucket_area(benchmark::State& state) {
    double phase = map_radians(state.range(0) / 1000.0);
    for (auto _ : state) benchmark::DoNotOptimize(continuum_bucket_area(phase));
}
BENCHMARK(BM_continuum_bucket_area)->Arg(-30000)->Arg(-89999)->Unit(benchmark::kMicrosecond);

// A start point beside the bucket's centre: it stays for every cell.
static void BM_track_start_1000_cells(benchmark::State& state) {
    float phase = map_phase_radians(-30), x = (float)fixed_points(phase, 0.5).x_stable + 0.1f;
    static float points[2 * 1001];
    for (auto _ : state) {
        int passes = track_start(x, 0, 0.5f, phase, 999, state.range(0) ? points : nullptr, 1001);
        if (passes != 1000) state.SkipWithError("the orbit left the bucket");
        benchmark::DoNotOptimize(points);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_track_start_1000_cells)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

static void BM_measured_bucket_area_256(benchmark::State& state) {
    float phase = map_phase_radians(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(measured_bucket_area(0.5f, phase, 1000, 256, 256));
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_measured_bucket_area_256)->Arg(-30)->Arg(-80)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
