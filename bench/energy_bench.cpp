// What a diagnostics row costs beside a step: the potential's pair sum against the fast step
// on the same galaxies and the same workers, so the ratio reads as steps per row.
#include <benchmark/benchmark.h>

#include "bench/bench_galaxy.h"
#include "engine/energy.h"

namespace {

void measureWith(benchmark::State& state, selvane::StepPath path) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    for (auto _ : state) benchmark::DoNotOptimize(selvane::measureGalaxy(table, params, 0, path).potential);
    // Each pair once, where the step visits both orders: the rate counts what a step counts.
    selvane::bench::reportPairRate(state, static_cast<double>(table.starCount) * table.starCount);
}

// Rows in the lanes of the best instruction set, and one row at a time, side by side.
void measureEnergy(benchmark::State& state) { measureWith(state, selvane::StepPath::Avx512); }
void measureEnergyRowByRow(benchmark::State& state) { measureWith(state, selvane::StepPath::Scalar); }

#define ENERGY_GALAXIES                                                                             \
    ->Args({1024, 2500, 20})->Args({1024, 100, 1})->Args({4096, 2500, 20})->Args({4096, 100, 1}) \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()
BENCHMARK(measureEnergyRowByRow) ENERGY_GALAXIES;
BENCHMARK(measureEnergy) ENERGY_GALAXIES;

}  // namespace
