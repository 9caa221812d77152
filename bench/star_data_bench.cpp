// Open and Save of large galaxies: formatting and reading every real dominates both.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "model/star_data_file.h"

namespace {

// Reals of every magnitude, as a long run leaves them.
selvane::StarTable galaxyOf(int32_t stars) {
    selvane::StarTable t;
    selvane::reallocateStars(t, stars);
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    auto next = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return state >> 11;
    };
    for (auto* field : {&t.mass, &t.displayX, &t.displayY, &t.displayZ, &t.velX, &t.velY, &t.velZ})
        for (double& v : *field)
            v = std::ldexp(static_cast<double>(next()) / 9007199254740992.0, static_cast<int>(next() % 40) - 10) - 100;
    t.posX = t.displayX;
    t.posY = t.displayY;
    t.posZ = t.displayZ;
    return t;
}

selvane::SimulationParameters parameters() {
    selvane::SimulationParameters p;
    p.starSize = 20;
    p.recordingSpeed = 5;
    p.lightSpeed = 30;
    return p;
}

std::filesystem::path benchFile() {
    return std::filesystem::temp_directory_path() / ("selvane_star_data_bench_" + std::to_string(::getpid()) + ".dat");
}

void saveGalaxy(benchmark::State& state) {
    const selvane::StarTable table = galaxyOf(static_cast<int32_t>(state.range(0)));
    const auto path = benchFile();
    for (auto _ : state)
        if (!selvane::saveStarData(path, table, parameters())) state.SkipWithError("save failed");
    std::filesystem::remove(path);
    state.counters["stars/s"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(saveGalaxy)->Arg(100000)->Unit(benchmark::kMillisecond);

void openGalaxy(benchmark::State& state) {
    const auto path = benchFile();
    if (!selvane::saveStarData(path, galaxyOf(static_cast<int32_t>(state.range(0))), parameters())) {
        state.SkipWithError("save failed");
        return;
    }
    selvane::StarTable table;
    selvane::SimulationParameters params;
    for (auto _ : state)
        if (!selvane::loadStarData(path, table, params)) state.SkipWithError("open failed");
    std::filesystem::remove(path);
    state.counters["stars/s"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(openGalaxy)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
