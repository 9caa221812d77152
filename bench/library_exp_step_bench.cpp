// The plain loop with the C library's exp, the baseline of the first speed goals.
#include <benchmark/benchmark.h>

#include "bench/bench_galaxy.h"
#include "bench/library_exp_step.h"

namespace {

void plainStepWithLibraryExp(benchmark::State& state) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    for (auto _ : state) {
        selvane::bench::stepWithLibraryExp(table, params);
        benchmark::DoNotOptimize(table.posX.data());
    }
    selvane::bench::reportPairRate(state, static_cast<double>(table.starCount) * table.starCount);
}

// The step rows' galaxies of 4096 stars, spread out and dense; half a second a step.
BENCHMARK(plainStepWithLibraryExp)
    ->Args({4096, 2500, 20})
    ->Args({4096, 100, 1})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
