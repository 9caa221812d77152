// The plain loop as it stood before the program had its own exp: it took the C library's
// exp, which on glibc sets errno for every far pair whose exp underflows. Kept here, frozen,
// as the baseline the first speed goals were set against; the program never runs it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "bench/bench_galaxy.h"
#include "engine/gravity_step.h"

namespace {

void stepWithLibraryExp(selvane::StarTable& table, const selvane::SimulationParameters& params) {
    const int32_t n = table.starCount;
    const double k = -1 / std::sqrt(params.starSize);
    const double *x = table.posX.data(), *y = table.posY.data(), *z = table.posZ.data(), *m = table.mass.data();
    for (int32_t i = 0; i < n; ++i) {
        double sx = 0, sy = 0, sz = 0;
        for (int32_t j = 0; j < n; ++j) {
            if (j == i) continue;
            const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
            const double r2 = dx * dx + dy * dy + dz * dz;
            if (!(r2 > 0)) continue;
            const double f = (1 - std::exp(k * r2)) * (std::sqrt(r2) * m[j] / r2 / r2);
            sx = sx + f * dx, sy = sy + f * dy, sz = sz + f * dz;
        }
        table.velX[i] = table.velX[i] + sx, table.velY[i] = table.velY[i] + sy, table.velZ[i] = table.velZ[i] + sz;
    }
    selvane::moveStars(table);
}

void plainStepWithLibraryExp(benchmark::State& state) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    for (auto _ : state) {
        stepWithLibraryExp(table, params);
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
