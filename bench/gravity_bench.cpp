// Pairs per second of the plain loop and the fast step, side by side on the same galaxies.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/fast_gravity_step.h"
#include "model/compose.h"

namespace {

enum class Stepper { Plain, FastOneThread, Fast };

void stepGalaxy(benchmark::State& state, Stepper stepper) {
    selvane::FieldTexts fields;
    fields.numberOfStar = std::to_string(state.range(0));
    fields.scale = std::to_string(state.range(1));
    fields.sizeOfStar = std::to_string(state.range(2));
    selvane::Random random;
    selvane::StarTable table;
    selvane::SimulationParameters params;
    selvane::composeGalaxy(fields, 1234, random, table, params);
    if (table.starCount != state.range(0)) state.SkipWithError("not every star was placed");
    selvane::StepCounter counter;
    const selvane::StepHooks hooks;
    for (auto _ : state) {
        if (stepper == Stepper::Plain)
            selvane::gravityStep(table, params, counter, hooks);
        else
            selvane::fastGravityStep(table, params, counter, hooks, {stepper == Stepper::Fast ? 0 : 1});
        benchmark::DoNotOptimize(table.posX.data());
    }
    state.counters["pairs/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(table.starCount) * table.starCount,
        benchmark::Counter::kIsRate);
}

void plainStep(benchmark::State& state) { stepGalaxy(state, Stepper::Plain); }
void fastStepOneThread(benchmark::State& state) { stepGalaxy(state, Stepper::FastOneThread); }
void fastStep(benchmark::State& state) { stepGalaxy(state, Stepper::Fast); }

// {stars, Scale, Size of Star}: spread out, and dense enough that many pairs need exp (4096
// stars a Size of Star 20 apart do not fit in Scale 100). Wall time, as the fast step uses
// every core.
#define GALAXIES                                                                                        \
    ->Args({1024, 2500, 20})->Args({1024, 100, 1})->Args({4096, 2500, 20})->Args({4096, 100, 1})      \
        ->Unit(benchmark::kMillisecond)                                                                 \
        ->UseRealTime()
BENCHMARK(plainStep) GALAXIES;
BENCHMARK(fastStepOneThread) GALAXIES;
BENCHMARK(fastStep) GALAXIES;

}  // namespace
