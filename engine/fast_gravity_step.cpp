#include "engine/fast_gravity_step.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "engine/instruction_sets.h"
#include "engine/step_kernels.h"
#include "engine/worker_pool.h"

namespace selvane {
namespace {

using step_kernels::Galaxy;
using step_kernels::SumRange;

// Stars i summed between two looks at a request to stop: at the largest galaxy a few tens of
// milliseconds, and a multiple of 8 so every piece but a share's last is whole vectors.
constexpr int32_t kPieceStars = 512;

// One step's sums cut into shares of the stars i, one share a thread.
struct Shares {
    SumRange sumRange = nullptr;
    const Galaxy* galaxy = nullptr;
    int count = 0;
    const std::atomic<bool>* stop = nullptr;  // a background step's; none for fastGravityStep
};

// Shares start on multiples of 8 so each is whole vectors but its last.
void sumShare(const Shares& shares, int t) {
    const int32_t n = shares.galaxy->n;
    const int32_t octets = (n + 7) / 8;
    const int32_t begin = static_cast<int32_t>(static_cast<int64_t>(octets) * t / shares.count) * 8;
    int32_t end = static_cast<int32_t>(static_cast<int64_t>(octets) * (t + 1) / shares.count) * 8;
    if (end > n) end = n;
    for (int32_t from = begin; from < end; from += kPieceStars) {
        if (shares.stop && shares.stop->load(std::memory_order_relaxed)) return;
        shares.sumRange(*shares.galaxy, from, end - from > kPieceStars ? from + kPieceStars : end);
    }
}

// Sums every share, share 0 on this thread; returns when all are done.
void sumShares(const Shares& shares) {
    runShares(shares.count, [&shares](int t) { sumShare(shares, t); });
}

// The thread that sums a background step, share 0 itself and the others on the pool, so the
// caller's thread is free. Made once and kept, as the pool is.
class Summer {
public:
    // False when the system gives no thread for it.
    bool start(Shares shares) {
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { work(); });
            } catch (const std::system_error&) {
                return false;
            }
        }
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = false;
        shares.stop = &stop_;
        shares_ = shares;
        done_ = false;
        posted_ = true;
        wake_.notify_one();
        return true;
    }
    bool waitDone(int milliseconds) {
        std::unique_lock<std::mutex> lock(mutex_);
        return finished_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return done_; });
    }
    void waitDone() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
    }
    void askToStop() { stop_ = true; }

private:
    void work() {
        for (;;) {
            Shares shares;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [this] { return posted_; });
                posted_ = false;
                shares = shares_;
            }
            sumShares(shares);
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
            finished_.notify_all();
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    Shares shares_;
    std::atomic<bool> stop_{false};
    bool posted_ = false;
    bool done_ = true;
};

Summer& summer() {
    static Summer* const instance = new Summer;
    return *instance;
}

// The best kernel at or below the one asked for that the processor runs.
SumRange kernelFor(StepPath path) {
    const InstructionSets& has = instructionSets();
    if (path == StepPath::Avx512 && has.avx512) return step_kernels::avx512::sumRange;
    if (path >= StepPath::Avx2 && has.avx2Fma) return step_kernels::avx2::sumRange;
    if (path != StepPath::Scalar) return step_kernels::sse2::sumRange;
    return step_kernels::sumRangeScalar;
}

int threadsFor(int32_t n, int asked) {
    int threads = sharesWorthRunning(n, asked);
    if (threads > n / 8) threads = n / 8 > 1 ? n / 8 : 1;
    return threads;
}

}  // namespace

bool stepPathAvailable(StepPath path) {
    switch (path) {
        case StepPath::Scalar:
        case StepPath::Sse2:
            return true;
        case StepPath::Avx2:
            return instructionSets().avx2Fma;
        case StepPath::Avx512:
            return instructionSets().avx512;
    }
    return false;
}

void BackgroundStep::begin(StarTable& table, const SimulationParameters& params, const StepChoice& choice) {
    if (inFlight_) return;
    table_ = &table;
    params_ = params;
    moving_ = galaxyToStep(table, params, galaxy_);
    onWorkers_ = false;
    inFlight_ = true;
    if (!moving_) return;
    // The sums go into copies, so the table's velocities stay readable until the step ends.
    velX_ = table.velX, velY_ = table.velY, velZ_ = table.velZ;
    galaxy_.vx = velX_.data(), galaxy_.vy = velY_.data(), galaxy_.vz = velZ_.data();
    const Shares shares{kernelFor(choice.path), &galaxy_, threadsFor(galaxy_.n, choice.threads)};
    // A small galaxy is less work than waking a thread.
    onWorkers_ = galaxy_.n >= kStarsWorthWorkers && summer().start(shares);
    if (!onWorkers_) sumShares(shares);
}

bool BackgroundStep::summed(int milliseconds) { return !onWorkers_ || summer().waitDone(milliseconds); }

void BackgroundStep::finish(StepCounter& counter, const StepHooks& hooks) {
    if (!inFlight_) return;
    if (onWorkers_) summer().waitDone();
    inFlight_ = onWorkers_ = false;
    if (moving_) {
        table_->velX.swap(velX_), table_->velY.swap(velY_), table_->velZ.swap(velZ_);
        moveStars(*table_);
    }
    finishStep(params_, counter, hooks);
}

void BackgroundStep::abandon() {
    if (!inFlight_) return;
    if (onWorkers_) {
        summer().askToStop();
        summer().waitDone();
    }
    inFlight_ = onWorkers_ = false;
}

void fastGravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                     const StepHooks& hooks, const StepChoice& choice) {
    Galaxy galaxy;
    if (galaxyToStep(table, params, galaxy)) {
        // Velocity sums read only positions, so the shares of i are independent.
        const Shares shares{kernelFor(choice.path), &galaxy, threadsFor(galaxy.n, choice.threads)};
        sumShares(shares);
        moveStars(table);
    }
    finishStep(params, counter, hooks);
}

}  // namespace selvane
