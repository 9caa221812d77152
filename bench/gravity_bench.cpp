// Pairs per second of the plain loop and the fast step, side by side on the same galaxies.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <utility>

#include "bench/bench_galaxy.h"
#include "engine/fast_gravity_step.h"

namespace {

using selvane::PairKernel;
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
// Each pair once with multiply-add divisions, and every ordered pair on its own with the
// processor's divisions, on 1 thread and on every core; the step's own choice is the faster.
void fastStepOneThread(benchmark::State& state) {
    stepGalaxy(state, false, {1, StepPath::Avx512, PairKernel::EachPairOnce});
}
void fastStep(benchmark::State& state) { stepGalaxy(state, false, {0, StepPath::Avx512, PairKernel::EachPairOnce}); }
void eachPairStepOneThread(benchmark::State& state) {
    stepGalaxy(state, false, {1, StepPath::Avx512, PairKernel::EachOrderedPair});
}
void eachPairStep(benchmark::State& state) {
    stepGalaxy(state, false, {0, StepPath::Avx512, PairKernel::EachOrderedPair});
}

// {stars, Scale, Size of Star}: spread out, and dense enough that many pairs need exp (4096
// stars a Size of Star 20 apart do not fit in Scale 100). The share of pairs closer than
// exp's reach depends on Scale alone, so 16384 stars keep both Scales; every star fits in
// either. Wall time, as the fast step uses every core. The rows of one galaxy run one after
// the other, so the ratios are side by side.
#define GALAXY(stars, scale, size) ->Args({stars, scale, size})->Unit(benchmark::kMillisecond)->UseRealTime()
#define KERNEL_ROWS(stars, scale, size)                  \
    BENCHMARK(eachPairStepOneThread) GALAXY(stars, scale, size); \
    BENCHMARK(fastStepOneThread) GALAXY(stars, scale, size);     \
    BENCHMARK(eachPairStep) GALAXY(stars, scale, size);          \
    BENCHMARK(fastStep) GALAXY(stars, scale, size)
BENCHMARK(plainStep) GALAXY(1024, 2500, 20);
KERNEL_ROWS(1024, 2500, 20);
BENCHMARK(plainStep) GALAXY(1024, 100, 1);
KERNEL_ROWS(1024, 100, 1);
BENCHMARK(plainStep) GALAXY(4096, 2500, 20);
KERNEL_ROWS(4096, 2500, 20);
BENCHMARK(plainStep) GALAXY(4096, 100, 1);
KERNEL_ROWS(4096, 100, 1);
BENCHMARK(plainStep) GALAXY(16384, 2500, 20)->Iterations(1);  // seconds a step
KERNEL_ROWS(16384, 2500, 20);
BENCHMARK(plainStep) GALAXY(16384, 100, 1)->Iterations(1);
KERNEL_ROWS(16384, 100, 1);

// The default galaxy (Scale 250, Size of Star 20) and smaller: the fast step's default
// choice must not lose to the plain loop where there is little to share out.
#define SMALL_GALAXIES ->Args({16, 250, 20})->Args({64, 250, 20})->Args({128, 250, 20})->Unit(benchmark::kMicrosecond)
BENCHMARK(plainStep) SMALL_GALAXIES;
BENCHMARK(fastStep) SMALL_GALAXIES;

// Each instruction set the processor has, on every core, for the ratio per instruction set:
// with AVX2 and AVX-512 each pair once and each ordered pair on its own side by side.
[[maybe_unused]] const bool pathRowsRegistered = [] {
    const std::pair<StepPath, const char*> paths[] = {
        {StepPath::Scalar, "Scalar"}, {StepPath::Sse2, "Sse2"}, {StepPath::Avx2, "Avx2"}, {StepPath::Avx512, "Avx512"}};
    for (int64_t scale : {2500, 100}) {
        for (const auto& [path, name] : paths) {
            if (!selvane::stepPathAvailable(path)) continue;
            for (bool pairOnce : {false, true}) {
                if (pairOnce && path < StepPath::Avx2) continue;
                const std::string row = std::string(pairOnce ? "fastStepPath/" : "eachPairStepPath/") + name;
                benchmark::RegisterBenchmark(row.c_str(),
                                             [path = path, pairOnce](benchmark::State& state) {
                                                 stepGalaxy(state, false,
                                                            {0, path, pairOnce ? PairKernel::EachPairOnce
                                                                               : PairKernel::EachOrderedPair});
                                             })
                    ->Args({4096, scale, scale == 100 ? 1 : 20})
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
            }
        }
    }
    return true;
}();

}  // namespace
