// Pairs per second of the plain loop and the fast step, side by side on the same galaxies.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>

#include "bench/bench_galaxy.h"
#include "engine/fast_gravity_step.h"

namespace {

using selvane::StepChoice;
using selvane::StepPath;

// A long run of a small galaxy drifts into close encounters, which cost more; starting
// again from the composed galaxy every so often shows both steppers the same states.
constexpr int64_t kStepsBeforeRestart = 256;

void stepGalaxy(benchmark::State& state, bool plain, StepChoice choice) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    const selvane::StarTable composed = table;
    selvane::StepCounter counter;
    const selvane::StepHooks hooks;
    int64_t sinceComposed = 0;
    for (auto _ : state) {
        if (++sinceComposed > kStepsBeforeRestart) {
            table = composed;  // same sizes, so no allocation
            sinceComposed = 1;
        }
        if (plain)
            selvane::gravityStep(table, params, counter, hooks);
        else
            selvane::fastGravityStep(table, params, counter, hooks, choice);
        benchmark::DoNotOptimize(table.posX.data());
    }
    selvane::bench::reportPairRate(state, static_cast<double>(table.starCount) * table.starCount);
}

void plainStep(benchmark::State& state) { stepGalaxy(state, true, {}); }
void fastStepOneThread(benchmark::State& state) { stepGalaxy(state, false, {1}); }
void fastStep(benchmark::State& state) { stepGalaxy(state, false, {}); }

// {stars, Scale, Size of Star}: spread out, and dense enough that many pairs need exp (4096
// stars a Size of Star 20 apart do not fit in Scale 100). The share of pairs closer than
// exp's reach depends on Scale alone, so 16384 stars keep both Scales; every star fits in
// either. Wall time, as the fast step uses every core.
#define GALAXIES                                                                                        \
    ->Args({1024, 2500, 20})->Args({1024, 100, 1})->Args({4096, 2500, 20})->Args({4096, 100, 1})      \
        ->Unit(benchmark::kMillisecond)                                                                 \
        ->UseRealTime()
#define LARGE_GALAXIES ->Args({16384, 2500, 20})->Args({16384, 100, 1})->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(plainStep) GALAXIES;
BENCHMARK(plainStep) LARGE_GALAXIES->Iterations(1);  // seconds a step
BENCHMARK(fastStepOneThread) GALAXIES;
BENCHMARK(fastStepOneThread) LARGE_GALAXIES;
BENCHMARK(fastStep) GALAXIES;
BENCHMARK(fastStep) LARGE_GALAXIES;

// The default galaxy (Scale 250, Size of Star 20) and smaller: the fast step's default
// choice must not lose to the plain loop where there is little to share out.
#define SMALL_GALAXIES ->Args({16, 250, 20})->Args({64, 250, 20})->Args({128, 250, 20})->Unit(benchmark::kMicrosecond)
BENCHMARK(plainStep) SMALL_GALAXIES;
BENCHMARK(fastStep) SMALL_GALAXIES;

// Each instruction set the processor has, on every core, for the ratio per instruction set.
[[maybe_unused]] const bool pathRowsRegistered = [] {
    const std::pair<StepPath, const char*> paths[] = {
        {StepPath::Scalar, "Scalar"}, {StepPath::Sse2, "Sse2"}, {StepPath::Avx2, "Avx2"}, {StepPath::Avx512, "Avx512"}};
    for (const auto& [path, name] : paths) {
        if (!selvane::stepPathAvailable(path)) continue;
        benchmark::RegisterBenchmark((std::string("fastStepPath/") + name).c_str(),
                                     [path = path](benchmark::State& state) { stepGalaxy(state, false, {0, path}); })
            ->Args({4096, 2500, 20})
            ->Args({4096, 100, 1})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

}  // namespace
