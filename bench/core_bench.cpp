// Speed of the work done on every timer tick and on every Compose.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/gravity_step.h"
#include "model/compose.h"
#include "model/star_data_file.h"

namespace {

selvane::StarTable composed(int stars, selvane::SimulationParameters& params) {
    selvane::FieldTexts fields;
    fields.numberOfStar = std::to_string(stars);
    selvane::Random random;
    selvane::StarTable table;
    selvane::composeGalaxy(fields, 1234, random, table, params);
    return table;
}

void gravityStepOfGalaxy(benchmark::State& state) {
    selvane::SimulationParameters params;
    selvane::StarTable table = composed(static_cast<int>(state.range(0)), params);
    selvane::StepCounter counter;
    const selvane::StepHooks hooks;
    for (auto _ : state) {
        selvane::gravityStep(table, params, counter, hooks);
        benchmark::DoNotOptimize(table.posX.data());
    }
    state.counters["pairs/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(table.starCount) * table.starCount,
        benchmark::Counter::kIsRate);
}
BENCHMARK(gravityStepOfGalaxy)->Arg(128)->Arg(512);

void composeDefaultGalaxy(benchmark::State& state) {
    for (auto _ : state) {
        selvane::SimulationParameters params;
        benchmark::DoNotOptimize(composed(128, params).starCount);
    }
}
BENCHMARK(composeDefaultGalaxy);

void formatAndParseGalaxy(benchmark::State& state) {
    selvane::SimulationParameters params;
    const selvane::StarTable table = composed(static_cast<int>(state.range(0)), params);
    for (auto _ : state) {
        const std::string text = selvane::formatStarData(table, params);
        selvane::ParsedStarData parsed;
        benchmark::DoNotOptimize(selvane::parseStarData(text.data(), text.size(), parsed));
    }
}
BENCHMARK(formatAndParseGalaxy)->Arg(128)->Arg(2048);

}  // namespace

BENCHMARK_MAIN();
