// Composition with the placement grid against the plain test, on the same galaxies.
#include <benchmark/benchmark.h>

#include <string>

#include "model/compose.h"

namespace {

void composeGalaxyOf(benchmark::State& state, selvane::PlacementTest test) {
    selvane::FieldTexts fields;
    fields.numberOfStar = std::to_string(state.range(0));
    fields.scale = std::to_string(state.range(1));
    for (auto _ : state) {
        selvane::Random random;
        selvane::StarTable table;
        selvane::SimulationParameters params;
        selvane::composeGalaxy(fields, 1234, random, table, params, nullptr, test);
        if (table.starCount != state.range(0)) state.SkipWithError("not every star was placed");
        benchmark::DoNotOptimize(table.mass.data());
    }
    state.counters["stars/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)), benchmark::Counter::kIsRate);
}

void composeWithGrid(benchmark::State& state) { composeGalaxyOf(state, selvane::PlacementTest::Grid); }
void composeWithPlainTest(benchmark::State& state) { composeGalaxyOf(state, selvane::PlacementTest::Plain); }

// {stars, Scale}: the default galaxy; 10000 and 100000 stars at the density of 100000 in
// Scale 20000; the batch runner's 60000 stars in Scale 15000. The plain test takes seconds
// on the larger two, so one pass of each is timed.
BENCHMARK(composeWithGrid)
    ->Args({128, 250})
    ->Args({10000, 9283})
    ->Args({60000, 15000})
    ->Args({100000, 20000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(composeWithPlainTest)->Args({128, 250})->Args({10000, 9283})->Unit(benchmark::kMillisecond);
BENCHMARK(composeWithPlainTest)->Args({60000, 15000})->Args({100000, 20000})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
