#include "engine/fast_gravity_step.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <immintrin.h>
#include <cmath>
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
using step_kernels::PairsOnceRow;
using step_kernels::RowSegment;
using step_kernels::Sums;
using step_kernels::SumRange;

// Stars i summed between two looks at a request to stop, for each ordered pair on its own: at
// the largest galaxy a few tens of milliseconds, and a multiple of 8 so every piece but a
// share's last is whole vectors. Each pair once looks between rows, a stream over at most every
// star each.
constexpr int32_t kPieceStars = 512;

// Share 0 of each pair once streams over a little less than its even part: the other shares
// wait for its rows at first, so it should run ahead.
constexpr double kFirstShareLead = 0.95;

// The kernels of one way of summing: each ordered pair on its own (sumRange), or each pair once
// by rows of `lanes` stars.
struct Kernels {
    SumRange sumRange = nullptr;
    PairsOnceRow pairsOnceRow = nullptr;
    int lanes = 0;
};

// One step's sums cut into shares, one share a thread: each ordered pair on its own, share t
// the stars i from begin(t); or each pair once, share t every row's stream over the stars j
// from edge(t).
struct Shares {
    Kernels kernels;
    const Galaxy* galaxy = nullptr;
    int count = 0;
    Sums sums{};             // each pair once: the pulls so far, all +0 at the start
    int32_t* done = nullptr;  // and per share, the rows it has finished
    bool massesModerate = false;
    const std::atomic<bool>* stop = nullptr;  // a background step's; none for fastGravityStep

    // Shares start on multiples of 8 so each is whole vectors but its last.
    int32_t begin(int t) const {
        const int32_t n = galaxy->n;
        const int32_t start = static_cast<int32_t>(static_cast<int64_t>((n + 7) / 8) * t / count) * 8;
        return start < n ? start : n;
    }
    // Share t streams over about n sqrt(t / count) to n sqrt((t + 1) / count): as much work
    // each, and a little less for share 0, which the others follow.
    int32_t edge(int t) const {
        if (t >= count) return galaxy->n;
        const double part = std::sqrt(static_cast<double>(t) / count) * kFirstShareLead;
        return static_cast<int32_t>(galaxy->n * part) / kernels.lanes * kernels.lanes;
    }
    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// Share t's part of each pair once: every row that starts before its last star j, in order. A
// row that starts before its first star j continues the stream share t - 1 ended, so it waits
// for that share to finish the row; a share never waits for a later one. A share that stops
// says it has finished every row, so none waits for it.
void sumPairsOnce(const Shares& shares, int t) {
    const int32_t lanes = shares.kernels.lanes, first = shares.edge(t), last = shares.edge(t + 1);
    for (int32_t row = 0; row * lanes < last; ++row) {
        const int32_t b = row * lanes;
        bool stopped = shares.stopped();
        for (int spins = 0; !stopped && t > 0 && b < first && __atomic_load_n(&shares.done[t - 1], __ATOMIC_ACQUIRE) <= row;
             ++spins) {
            if (spins < 256)
                _mm_pause();
            else
                std::this_thread::yield();
            stopped = shares.stopped();
        }
        if (stopped) {
            __atomic_store_n(&shares.done[t], INT32_MAX, __ATOMIC_RELEASE);
            return;
        }
        const bool own = b >= first;
        shares.kernels.pairsOnceRow(*shares.galaxy, shares.sums,
                                    {row, own ? b + lanes : first, last, own, shares.massesModerate});
        __atomic_store_n(&shares.done[t], row + 1, __ATOMIC_RELEASE);
    }
}

// sum + v with the sum the first operand, as the plain loop compiles its last addition: where
// two NaNs meet x86 keeps the first, and the compiler may swap the operands of a + b.
double sumFirst(double sum, double v) {
    __asm__("addsd %[v], %[sum]" : [sum] "+x"(sum) : [v] "x"(v));
    return sum;
}

void sumShare(const Shares& shares, int t) {
    if (shares.kernels.pairsOnceRow) return sumPairsOnce(shares, t);
    const int32_t end = shares.begin(t + 1);
    for (int32_t from = shares.begin(t); from < end; from += kPieceStars) {
        if (shares.stopped()) return;
        shares.kernels.sumRange(*shares.galaxy, from, end - from > kPieceStars ? from + kPieceStars : end);
    }
}

// Sums every share, share 0 on this thread; returns when all are done.
void sumShares(const Shares& shares) {
    runShares(shares.count, [&shares](int t) { sumShare(shares, t); });
    if (!shares.kernels.pairsOnceRow || shares.stopped()) return;
    const Galaxy& g = *shares.galaxy;
    for (int32_t i = 0; i < g.n; ++i) {
        g.vx[i] = sumFirst(shares.sums.x[i], g.vx[i]);
        g.vy[i] = sumFirst(shares.sums.y[i], g.vy[i]);
        g.vz[i] = sumFirst(shares.sums.z[i], g.vz[i]);
    }
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

int threadsFor(int32_t n, int asked) {
    int threads = sharesWorthRunning(n, asked);
    if (threads > n / 8) threads = n / 8 > 1 ? n / 8 : 1;
    return threads;
}

// The best kernels at or below the ones asked for that the processor runs, for `threads` shares.
Kernels kernelsFor(const StepChoice& choice, int threads) {
    namespace k = step_kernels;
    const InstructionSets& has = instructionSets();
    const bool pairOnce = choice.pairs == PairKernel::EachPairOnce || (choice.pairs == PairKernel::Fastest && threads == 1);
    if (choice.path == StepPath::Avx512 && has.avx512)
        return pairOnce ? Kernels{nullptr, k::avx512::pairsOnceRow, 8} : Kernels{k::avx512::sumRange};
    if (choice.path >= StepPath::Avx2 && has.avx2Fma)
        return pairOnce ? Kernels{nullptr, k::avx2::pairsOnceRow, 4} : Kernels{k::avx2::sumRange};
    if (choice.path != StepPath::Scalar) return {k::sse2::sumRange};
    return {k::sumRangeScalar};
}

// Every |m| in [2^-100, 2^100] (false for NaN).
bool massesModerate(const Galaxy& g) {
    bool moderate = true;
    for (int32_t j = 0; j < g.n; ++j) {
        const double magnitude = std::fabs(g.m[j]);
        moderate = moderate && magnitude >= 0x1p-100 && magnitude <= 0x1p100;
    }
    return moderate;
}

// The shares of one step; each pair once works in `space`, made ready here.
Shares sharesFor(const Galaxy& galaxy, const StepChoice& choice, PairsOnceSpace& space) {
    const int threads = threadsFor(galaxy.n, choice.threads);
    Shares shares{kernelsFor(choice, threads), &galaxy, threads};
    if (shares.kernels.pairsOnceRow) {
        const size_t n = static_cast<size_t>(galaxy.n);
        space.sums.assign(3 * n, 0.0);
        space.done.assign(static_cast<size_t>(shares.count), 0);
        shares.sums = {space.sums.data(), space.sums.data() + n, space.sums.data() + 2 * n};
        shares.done = space.done.data();
        shares.massesModerate = massesModerate(galaxy);
    }
    return shares;
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
    const Shares shares = sharesFor(galaxy_, choice, pairsOnce_);
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
        PairsOnceSpace space;
        sumShares(sharesFor(galaxy, choice, space));
        moveStars(table);
    }
    finishStep(params, counter, hooks);
}

}  // namespace selvane
