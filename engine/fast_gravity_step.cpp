#include "engine/fast_gravity_step.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/step_kernels.h"

namespace selvane {
namespace {

using namespace step_kernels;

// Below this many stars, waking workers costs more than it saves.
constexpr int32_t kThreadedFrom = 256;

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
    if (path == StepPath::Avx512 && stepPathAvailable(StepPath::Avx512)) return sumRangeAvx512;
    if (path >= StepPath::Avx2 && stepPathAvailable(StepPath::Avx2)) return sumRangeAvx2;
    if (path != StepPath::Scalar) return sumRangeSse2;
    return sumRangeScalar;
}

}  // namespace

bool stepPathAvailable(StepPath path) {
    __builtin_cpu_init();  // may run before the library's own start-up code has
    switch (path) {
        case StepPath::Scalar:
        case StepPath::Sse2:
            return true;
        // The system must save the wide registers too, which these checks include.
        case StepPath::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case StepPath::Avx512:
            return __builtin_cpu_supports("avx512f");
    }
    return false;
}

void fastGravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                     const StepHooks& hooks, const StepChoice& choice) {
    stepGalaxy(table, params, counter, hooks, [&](const Galaxy& g) {
        const SumRange sumRange = sumRangeFor(choice.path);
        const int32_t n = g.n;
        int threads = choice.threads;
        if (threads <= 0) threads = n < kThreadedFrom ? 1 : static_cast<int>(std::thread::hardware_concurrency());
        if (threads < 1) threads = 1;
        if (threads > n / 8) threads = n / 8 > 1 ? n / 8 : 1;
        // Velocity sums read only positions, so the shares of i are independent.
        if (threads == 1) {
            sumRange(g, 0, n);
            return;
        }
        pool().run(threads, [&](int t) {
            // Shares start on multiples of 8 so each is whole vectors but its last.
            const int32_t octets = (n + 7) / 8;
            const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(octets) * t / threads) * 8;
            int32_t end = static_cast<int32_t>(static_cast<int64_t>(octets) * (t + 1) / threads) * 8;
            if (end > n) end = n;
            sumRange(g, begin, end);
        });
    });
}

}  // namespace selvane
