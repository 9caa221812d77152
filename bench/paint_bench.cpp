// A paint of the view without the copy to the window: every star projected by the camera
// and its dot drawn into the picture, for the default view and camera.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/bench_galaxy.h"
#include "engine/dot_raster.h"
#include "engine/glow_picture.h"

namespace {

void paintGalaxy(benchmark::State& state) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    selvane::ViewCamera camera;
    camera.reset();
    const selvane::ViewRect& r = camera.viewRect;
    std::vector<uint32_t> pixels(static_cast<size_t>(r.right - r.left) * (r.bottom - r.top));
    selvane::PixelBuffer buffer;
    buffer.pixels = pixels.data();
    buffer.width = r.right - r.left;
    buffer.height = r.bottom - r.top;
    buffer.stride = buffer.width;
    buffer.originX = r.left;
    buffer.originY = r.top;
    for (auto _ : state) {
        camera.updateCentre();
        selvane::drawStars(buffer, camera, table.displayX.data(), table.displayY.data(), table.displayZ.data(),
                           static_cast<size_t>(table.starCount));
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
    // How many stars the camera sees: a galaxy mostly out of view would paint fast for nothing.
    int64_t drawn = 0;
    selvane::DotBox dot;
    for (int32_t i = 0; i < table.starCount; ++i)
        drawn += camera.projectStar(table.displayX[i], table.displayY[i], table.displayZ[i], dot) ? 1 : 0;
    state.counters["dots"] = static_cast<double>(drawn);
    state.counters["stars/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * table.starCount,
                                                   benchmark::Counter::kIsRate);
}

// {stars, Scale, Size of Star}
BENCHMARK(paintGalaxy)->Args({2000, 2500, 20})->Args({20000, 2500, 20})->Unit(benchmark::kMicrosecond);

// A 1920 x 1080 picture in the glow look, beside the dots above: cleared, every star laid on
// as its sprite, then toned and encoded to sRGB bytes.
void glowGalaxy(benchmark::State& state) {
    selvane::StarTable table;
    selvane::SimulationParameters params;
    if (!selvane::bench::composeForBench(state, table, params)) return;
    selvane::ViewCamera camera;
    camera.reset();
    camera.updateCentre();
    selvane::GlowPicture picture(1920, 1080);
    const double scale = 1920 / 470.0;
    const selvane::LinearColour colour = selvane::glowRamp(0.3);
    std::vector<uint8_t> rgb;
    for (auto _ : state) {
        picture.clear();
        for (int32_t i = 0; i < table.starCount; ++i) {
            double sx = 0, sy = 0;
            if (camera.projectPoint(table.displayX[i], table.displayY[i], table.displayZ[i], sx, sy))
                picture.addStar((sx - camera.centreX) * scale + 960, (sy - camera.centreY) * scale + 540, 1.0f, colour);
        }
        picture.encode(8.0f, rgb);
        benchmark::DoNotOptimize(rgb.data());
        benchmark::ClobberMemory();
    }
    state.counters["stars/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * table.starCount,
                                                   benchmark::Counter::kIsRate);
}

BENCHMARK(glowGalaxy)->Args({2000, 2500, 20})->Args({20000, 2500, 20})->Unit(benchmark::kMillisecond);

}  // namespace
