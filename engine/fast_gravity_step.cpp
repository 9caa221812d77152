#include "engine/fast_gravity_step.h"

#include <emmintrin.h>
#if !defined(_WIN32)
#include <immintrin.h>
#endif

#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/exp.h"

namespace selvane {
namespace {

// Below this, 1 - exp(k * r2) is exactly 1 with the program's exp, so f is g.
constexpr double kExpSkipBound = -0x1.2b708872320e1p+5;
// Below this many stars, waking workers costs more than it saves.
constexpr int32_t kThreadedFrom = 256;

struct Galaxy {
    const double* x;
    const double* y;
    const double* z;
    const double* m;
    double* vx;
    double* vy;
    double* vz;
    int32_t n;
    double k;
};

// The plain loop's sum for one star, and its velocity update.
void sumScalar(const Galaxy& g, int32_t i) {
    double sx = 0, sy = 0, sz = 0;
    for (int32_t j = 0; j < g.n; ++j) {
        if (j == i) continue;
        const double dx = g.x[j] - g.x[i], dy = g.y[j] - g.y[i], dz = g.z[j] - g.z[i];
        const double r2 = dx * dx + dy * dy + dz * dz;
        if (!(r2 > 0)) continue;
        const double gr = std::sqrt(r2) * g.m[j] / r2 / r2;
        const double f = (1 - exactExp(g.k * r2)) * gr;
        sx = sx + f * dx;
        sy = sy + f * dy;
        sz = sz + f * dz;
    }
    g.vx[i] = g.vx[i] + sx;
    g.vy[i] = g.vy[i] + sy;
    g.vz[i] = g.vz[i] + sz;
}

void sumRangeScalar(const Galaxy& g, int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end; ++i) sumScalar(g, i);
}

// Two stars i per register. Lanes that the plain loop skips (j == i, r2 not > 0) keep
// their sums unchanged through a select, whatever the arithmetic gave them.
void sumRangeSse2(const Galaxy& g, int32_t begin, int32_t end) {
    int32_t i = begin;
    const __m128d one = _mm_set1_pd(1.0), zero = _mm_setzero_pd();
    const __m128d k = _mm_set1_pd(g.k), bound = _mm_set1_pd(kExpSkipBound);
    for (; i + 2 <= end; i += 2) {
        const __m128d xi = _mm_loadu_pd(g.x + i), yi = _mm_loadu_pd(g.y + i), zi = _mm_loadu_pd(g.z + i);
        const __m128i lane = _mm_set_epi32(0, i + 1, 0, i);
        __m128d sx = zero, sy = zero, sz = zero;
        for (int32_t j = 0; j < g.n; ++j) {
            const __m128d dx = _mm_sub_pd(_mm_set1_pd(g.x[j]), xi);
            const __m128d dy = _mm_sub_pd(_mm_set1_pd(g.y[j]), yi);
            const __m128d dz = _mm_sub_pd(_mm_set1_pd(g.z[j]), zi);
            const __m128d r2 = _mm_add_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)), _mm_mul_pd(dz, dz));
            const __m128d notSelf =
                _mm_castsi128_pd(_mm_xor_si128(_mm_cmpeq_epi32(lane, _mm_set_epi32(0, j, 0, j)), _mm_set1_epi32(-1)));
            // Both halves of a 64-bit lane must differ from j's; the high half is 0 in both.
            const __m128d differs = _mm_castsi128_pd(
                _mm_shuffle_epi32(_mm_castpd_si128(notSelf), _MM_SHUFFLE(2, 2, 0, 0)));
            const __m128d active = _mm_and_pd(differs, _mm_cmpgt_pd(r2, zero));
            if (_mm_movemask_pd(active) == 0) continue;
            const __m128d gr = _mm_div_pd(_mm_div_pd(_mm_mul_pd(_mm_sqrt_pd(r2), _mm_set1_pd(g.m[j])), r2), r2);
            const __m128d kr2 = _mm_mul_pd(k, r2);
            __m128d e = zero;
            const int needExp = _mm_movemask_pd(_mm_andnot_pd(_mm_cmplt_pd(kr2, bound), active));
            if (needExp) {
                alignas(16) double a[2], r[2] = {0, 0};
                _mm_store_pd(a, kr2);
                for (int l = 0; l < 2; ++l)
                    if (needExp & (1 << l)) r[l] = exactExp(a[l]);
                e = _mm_load_pd(r);
            }
            const __m128d f = _mm_mul_pd(_mm_sub_pd(one, e), gr);
            sx = _mm_or_pd(_mm_and_pd(active, _mm_add_pd(sx, _mm_mul_pd(f, dx))), _mm_andnot_pd(active, sx));
            sy = _mm_or_pd(_mm_and_pd(active, _mm_add_pd(sy, _mm_mul_pd(f, dy))), _mm_andnot_pd(active, sy));
            sz = _mm_or_pd(_mm_and_pd(active, _mm_add_pd(sz, _mm_mul_pd(f, dz))), _mm_andnot_pd(active, sz));
        }
        _mm_storeu_pd(g.vx + i, _mm_add_pd(_mm_loadu_pd(g.vx + i), sx));
        _mm_storeu_pd(g.vy + i, _mm_add_pd(_mm_loadu_pd(g.vy + i), sy));
        _mm_storeu_pd(g.vz + i, _mm_add_pd(_mm_loadu_pd(g.vz + i), sz));
    }
    sumRangeScalar(g, i, end);
}

#if !defined(_WIN32)
// Four stars i per register. Not on Windows: its compilers do not align the stack for
// 32-byte spills.
__attribute__((target("avx2"))) void sumRangeAvx2(const Galaxy& g, int32_t begin, int32_t end) {
    int32_t i = begin;
    const __m256d one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d k = _mm256_set1_pd(g.k), bound = _mm256_set1_pd(kExpSkipBound);
    for (; i + 4 <= end; i += 4) {
        const __m256d xi = _mm256_loadu_pd(g.x + i), yi = _mm256_loadu_pd(g.y + i), zi = _mm256_loadu_pd(g.z + i);
        const __m256i lane = _mm256_set_epi64x(i + 3, i + 2, i + 1, i);
        __m256d sx = zero, sy = zero, sz = zero;
        for (int32_t j = 0; j < g.n; ++j) {
            const __m256d dx = _mm256_sub_pd(_mm256_set1_pd(g.x[j]), xi);
            const __m256d dy = _mm256_sub_pd(_mm256_set1_pd(g.y[j]), yi);
            const __m256d dz = _mm256_sub_pd(_mm256_set1_pd(g.z[j]), zi);
            const __m256d r2 = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)),
                                             _mm256_mul_pd(dz, dz));
            const __m256d self = _mm256_castsi256_pd(_mm256_cmpeq_epi64(lane, _mm256_set1_epi64x(j)));
            const __m256d active = _mm256_andnot_pd(self, _mm256_cmp_pd(r2, zero, _CMP_GT_OQ));
            if (_mm256_movemask_pd(active) == 0) continue;
            const __m256d gr = _mm256_div_pd(
                _mm256_div_pd(_mm256_mul_pd(_mm256_sqrt_pd(r2), _mm256_set1_pd(g.m[j])), r2), r2);
            const __m256d kr2 = _mm256_mul_pd(k, r2);
            __m256d e = zero;
            const int needExp = _mm256_movemask_pd(_mm256_andnot_pd(_mm256_cmp_pd(kr2, bound, _CMP_LT_OQ), active));
            if (needExp) {
                alignas(32) double a[4], r[4] = {0, 0, 0, 0};
                _mm256_store_pd(a, kr2);
                for (int l = 0; l < 4; ++l)
                    if (needExp & (1 << l)) r[l] = exactExp(a[l]);
                e = _mm256_load_pd(r);
            }
            const __m256d f = _mm256_mul_pd(_mm256_sub_pd(one, e), gr);
            sx = _mm256_blendv_pd(sx, _mm256_add_pd(sx, _mm256_mul_pd(f, dx)), active);
            sy = _mm256_blendv_pd(sy, _mm256_add_pd(sy, _mm256_mul_pd(f, dy)), active);
            sz = _mm256_blendv_pd(sz, _mm256_add_pd(sz, _mm256_mul_pd(f, dz)), active);
        }
        _mm256_storeu_pd(g.vx + i, _mm256_add_pd(_mm256_loadu_pd(g.vx + i), sx));
        _mm256_storeu_pd(g.vy + i, _mm256_add_pd(_mm256_loadu_pd(g.vy + i), sy));
        _mm256_storeu_pd(g.vz + i, _mm256_add_pd(_mm256_loadu_pd(g.vz + i), sz));
    }
    sumRangeScalar(g, i, end);
}
#endif

using SumRange = void (*)(const Galaxy&, int32_t, int32_t);

// Workers made once and kept: each step hands every worker one share of the stars i.
class WorkerPool {
public:
    // Runs share(t) for t in [0, shares) with share 0 on the calling thread; returns when all are done.
    template <typename Share>
    void run(int shares, const Share& share) {
        while (static_cast<int>(workers_.size()) < shares - 1) {
            const int index = static_cast<int>(workers_.size()) + 1;
            const long long seen = generation_;  // only this thread changes it
            workers_.emplace_back([this, index, seen] { work(index, seen); });
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task_ = [&share](int t) { share(t); };
            shares_ = shares;
            pending_ = shares - 1;
            ++generation_;
        }
        wake_.notify_all();
        share(0);
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return pending_ == 0; });
    }

private:
    void work(int index, long long seen) {
        for (;;) {
            std::function<void(int)> task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return generation_ != seen; });
                seen = generation_;
                if (index >= shares_) continue;
                task = task_;
            }
            task(index);
            std::lock_guard<std::mutex> lock(mutex_);
            if (--pending_ == 0) done_.notify_one();
        }
    }

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_, done_;
    std::function<void(int)> task_;
    int shares_ = 0;
    int pending_ = 0;
    long long generation_ = 0;
};

// Never destroyed: the workers wait for work until the process ends.
WorkerPool& pool() {
    static WorkerPool* const instance = new WorkerPool;
    return *instance;
}

SumRange sumRangeFor(StepPath path) {
#if !defined(_WIN32)
    if (path == StepPath::Avx2 && stepPathAvailable(StepPath::Avx2)) return sumRangeAvx2;
#endif
    if (path != StepPath::Scalar) return sumRangeSse2;
    return sumRangeScalar;
}

}  // namespace

bool stepPathAvailable(StepPath path) {
    switch (path) {
        case StepPath::Scalar:
        case StepPath::Sse2:
            return true;
        case StepPath::Avx2:
#if !defined(_WIN32)
            return __builtin_cpu_supports("avx2");
#else
            return false;
#endif
    }
    return false;
}

void fastGravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                     const StepHooks& hooks, const StepChoice& choice) {
    const int32_t n = table.starCount;
    // A Size of Star that is not positive has no softening scale; the galaxy stands still.
    if (table.present && params.starSize > 0) {
        const double s = std::sqrt(params.starSize);
        const Galaxy g{table.posX.data(), table.posY.data(), table.posZ.data(), table.mass.data(),
                       table.velX.data(), table.velY.data(), table.velZ.data(), n, -1 / s};
        const SumRange sumRange = sumRangeFor(choice.path);
        int threads = choice.threads;
        if (threads <= 0) threads = n < kThreadedFrom ? 1 : static_cast<int>(std::thread::hardware_concurrency());
        if (threads < 1) threads = 1;
        if (threads > n / 8) threads = n / 8 > 1 ? n / 8 : 1;
        // Velocity sums read only positions, so the shares of i are independent.
        if (threads == 1) {
            sumRange(g, 0, n);
        } else {
            pool().run(threads, [&](int t) {
                // Shares start on multiples of 4 so each is whole vectors but its last.
                const int32_t quads = (n + 3) / 4;
                const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(quads) * t / threads) * 4;
                int32_t end = static_cast<int32_t>(static_cast<int64_t>(quads) * (t + 1) / threads) * 4;
                if (end > n) end = n;
                sumRange(g, begin, end);
            });
        }
        moveStars(table);
    }
    finishStep(params, counter, hooks);
}

}  // namespace selvane
