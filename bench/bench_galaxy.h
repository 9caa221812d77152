// Galaxies the benchmarks share, composed as Compose makes them, and the rate they report.
#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "model/compose.h"

namespace selvane::bench {

// Every row that sums pairs reports under this one name, so the rates read side by side.
inline const char* const kPairRate = "pairs/s";

// Composes stars in {Scale, Size of Star} with the Composer's other defaults and a fixed
// seed. False, with the row marked as failed, when not every star found room: a smaller
// galaxy would make its rate meaningless.
inline bool composeForBench(benchmark::State& state, int64_t stars, int64_t scale, int64_t sizeOfStar,
                            StarTable& table, SimulationParameters& params) {
    FieldTexts fields;
    fields.numberOfStar = std::to_string(stars);
    fields.scale = std::to_string(scale);
    fields.sizeOfStar = std::to_string(sizeOfStar);
    Random random;
    composeGalaxy(fields, 1234, random, table, params);
    if (table.starCount == stars) return true;
    state.SkipWithError("not every star was placed");
    return false;
}

// The galaxy of the row's arguments {stars, Scale, Size of Star}.
inline bool composeForBench(benchmark::State& state, StarTable& table, SimulationParameters& params) {
    return composeForBench(state, state.range(0), state.range(1), state.range(2), table, params);
}

// pairsPerIteration pairs per timed iteration, as a rate.
inline void reportPairRate(benchmark::State& state, double pairsPerIteration) {
    state.counters[kPairRate] =
        benchmark::Counter(static_cast<double>(state.iterations()) * pairsPerIteration, benchmark::Counter::kIsRate);
}

}  // namespace selvane::bench
