// The least a pair can cost in the gravity step: its square root, multiply and two divisions,
// sqrt(r2) * m / r2 / r2, with one star j broadcast against a register of stars i as the fast
// step does. No step can sum pairs faster than these rows.
#include <benchmark/benchmark.h>
#include <immintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_galaxy.h"

namespace {

// As many stars as the step rows' galaxies of 4096, so the pair counts match.
constexpr int32_t kStars = 4096;

// r2 = a[i] + b[j]: one addition makes every pair's r2 its own, so no square root or
// division can be taken out of the loop over j.
struct Pairs {
    std::vector<double> a, b, m;
};

Pairs makePairs() {
    Pairs p;
    for (int32_t k = 0; k < kStars; ++k) {
        p.a.push_back(1000.0 + k);
        p.b.push_back(500.0 + 3.0 * k);
        p.m.push_back((k % 97 + 1) / 98.0);
    }
    return p;
}

// Each returns the sum over stars i in [begin, end) of their sums over every j, in order.
double floorScalar(const Pairs& p, int32_t begin, int32_t end) {
    double total = 0;
    for (int32_t i = begin; i < end; ++i) {
        double s = 0;
        for (int32_t j = 0; j < kStars; ++j) {
            const double r2 = p.a[i] + p.b[j];
            s = s + std::sqrt(r2) * p.m[j] / r2 / r2;
        }
        total = total + s;
    }
    return total;
}

// Ranges are whole multiples of eight stars, so every register is full.
double floorSse2(const Pairs& p, int32_t begin, int32_t end) {
    double total = 0;
    for (int32_t i = begin; i < end; i += 2) {
        const __m128d a = _mm_loadu_pd(p.a.data() + i);
        __m128d s = _mm_setzero_pd();
        for (int32_t j = 0; j < kStars; ++j) {
            const __m128d r2 = _mm_add_pd(a, _mm_set1_pd(p.b[j]));
            s = _mm_add_pd(s, _mm_div_pd(_mm_div_pd(_mm_mul_pd(_mm_sqrt_pd(r2), _mm_set1_pd(p.m[j])), r2), r2));
        }
        double lanes[2];
        _mm_storeu_pd(lanes, s);
        for (int l = 0; l < 2; ++l) total = total + lanes[l];
    }
    return total;
}

__attribute__((target("avx2"))) double floorAvx2(const Pairs& p, int32_t begin, int32_t end) {
    double total = 0;
    for (int32_t i = begin; i < end; i += 4) {
        const __m256d a = _mm256_loadu_pd(p.a.data() + i);
        __m256d s = _mm256_setzero_pd();
        for (int32_t j = 0; j < kStars; ++j) {
            const __m256d r2 = _mm256_add_pd(a, _mm256_set1_pd(p.b[j]));
            s = _mm256_add_pd(
                s, _mm256_div_pd(_mm256_div_pd(_mm256_mul_pd(_mm256_sqrt_pd(r2), _mm256_set1_pd(p.m[j])), r2), r2));
        }
        double lanes[4];
        _mm256_storeu_pd(lanes, s);
        for (int l = 0; l < 4; ++l) total = total + lanes[l];
    }
    return total;
}

__attribute__((target("avx512f"))) double floorAvx512(const Pairs& p, int32_t begin, int32_t end) {
    double total = 0;
    for (int32_t i = begin; i < end; i += 8) {
        const __m512d a = _mm512_loadu_pd(p.a.data() + i);
        __m512d s = _mm512_setzero_pd();
        for (int32_t j = 0; j < kStars; ++j) {
            const __m512d r2 = _mm512_add_pd(a, _mm512_set1_pd(p.b[j]));
            // All lanes kept: the plain square root; GCC 12 warns falsely about the unmasked form.
            const __m512d root = _mm512_maskz_sqrt_pd(0xff, r2);
            s = _mm512_add_pd(s, _mm512_div_pd(_mm512_div_pd(_mm512_mul_pd(root, _mm512_set1_pd(p.m[j])), r2), r2));
        }
        double lanes[8];
        _mm512_storeu_pd(lanes, s);
        for (int l = 0; l < 8; ++l) total = total + lanes[l];
    }
    return total;
}

using FloorRange = double (*)(const Pairs&, int32_t, int32_t);

// One share of the stars i per thread, each a multiple of eight stars (kStars is too).
double floorOnThreads(FloorRange range, const Pairs& p, int threads) {
    const int32_t share = ((kStars + threads - 1) / threads + 7) / 8 * 8;
    std::vector<double> totals(static_cast<size_t>(threads), 0.0);
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) {
        const int32_t begin = std::min(kStars, t * share), end = std::min(kStars, begin + share);
        workers.emplace_back([&totals, range, &p, t, begin, end] { totals[t] = range(p, begin, end); });
    }
    totals[0] = range(p, 0, std::min(kStars, share));
    for (auto& worker : workers) worker.join();
    double total = 0;
    for (double t : totals) total = total + t;
    return total;
}

void pairFloor(benchmark::State& state, FloorRange range, int threads) {
    const Pairs p = makePairs();
    for (auto _ : state) benchmark::DoNotOptimize(floorOnThreads(range, p, threads));
    selvane::bench::reportPairRate(state, static_cast<double>(kStars) * kStars);
}

// Rows for the instruction sets this processor has, one thread and every core, named as
// the step's rows (fastStepOneThread, fastStep) are.
[[maybe_unused]] const bool floorRowsRegistered = [] {
    __builtin_cpu_init();  // static start-up may come before the library's own
    const struct {
        const char* name;
        FloorRange range;
        bool available;
    } paths[] = {{"Scalar", floorScalar, true},
                 {"Sse2", floorSse2, true},
                 {"Avx2", floorAvx2, __builtin_cpu_supports("avx2") != 0},
                 {"Avx512", floorAvx512, __builtin_cpu_supports("avx512f") != 0}};
    const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    std::vector<int> threadCounts{1};
    if (cores > 1) threadCounts.push_back(cores);
    for (const int threads : threadCounts)
        for (const auto& path : paths) {
            if (!path.available) continue;
            const std::string name = std::string(threads == 1 ? "pairFloorOneThread/" : "pairFloor/") + path.name;
            benchmark::RegisterBenchmark(name.c_str(), pairFloor, path.range, threads)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    return true;
}();

}  // namespace
