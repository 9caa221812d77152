#include "engine/fast_gravity_step.h"

#include <algorithm>
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
// share's last is whole vectors. Each pair once looks between rows of its tiles, a stream over
// at most every star each.
constexpr int32_t kPieceStars = 512;

// Each pair once on several threads cuts the stars into about this many blocks a thread: with
// more, threads wait less for the rows above; with fewer, streams fill and empty less often.
constexpr int32_t kPairsOnceBlocksPerThread = 8;
// The fewest stars of a block: each row's stream over a block fills and empties its lanes once.
constexpr int32_t kPairsOnceBlockStars = 128;
// From this many stars a thread each pair once is the faster on several threads too: below, its
// tiles are too small for the threads' waits on one another to pay (measured side by side on
// two threads, `make bench`; more threads wait more, so they need as many stars each).
constexpr int32_t kStarsPerThreadForPairsOnce = 2048;

// The kernels of one way of summing: each ordered pair on its own (sumRange), or each pair once
// by rows of `lanes` stars.
struct Kernels {
    SumRange sumRange = nullptr;
    PairsOnceRow pairsOnceRow = nullptr;
    int lanes = 0;
};

// One step's sums cut into shares, one share a thread: each ordered pair on its own, share t
// the stars i from begin(t); or each pair once, by tiles of blocks of stars (sumPairsOnce).
struct Shares {
    Kernels kernels;
    const Galaxy* galaxy = nullptr;
    int count = 0;
    Sums sums{};              // each pair once: the pulls so far, all +0 at the start
    int32_t blockStars = 0;   // and its blocks, a whole number of rows each
    int32_t* tilesDone = nullptr;  // per block, the tiles of its row finished; then the next block to take
    bool massesModerate = false;
    const std::atomic<bool>* stop = nullptr;  // a background step's; none for fastGravityStep

    // Shares start on multiples of 8 so each is whole vectors but its last.
    int32_t begin(int t) const {
        const int32_t n = galaxy->n;
        const int32_t start = static_cast<int32_t>(static_cast<int64_t>((n + 7) / 8) * t / count) * 8;
        return start < n ? start : n;
    }
    int32_t blocks() const { return (galaxy->n + blockStars - 1) / blockStars; }
    bool stopped() const { return stop && stop->load(std::memory_order_relaxed); }
};

// Each pair once by tiles (I, J), J >= I, of blocks of stars. Tile (I, J) gives the stars of
// block I their pulls from block J and those of J theirs from I; every star meets the others
// in ascending order when each block's tiles (0, J) .. (J, J) .. (J, last) go in that order, so
// tile (I, J) follows (I, J - 1) and (I - 1, J). A share takes the next block's row of tiles and
// goes along it, each tile once the row above has finished the tile above: the rows chase one
// another a tile apart, and no share waits but for the row just above. A share that stops says
// its row is finished, so none waits for it.
void sumPairsOnce(const Shares& shares) {
    const int32_t blocks = shares.blocks(), lanes = shares.kernels.lanes, n = shares.galaxy->n;
    int32_t* const nextBlock = shares.tilesDone + blocks;
    for (;;) {
        const int32_t i = __atomic_fetch_add(nextBlock, 1, __ATOMIC_RELAXED);
        if (i >= blocks) return;
        const int32_t iBegin = i * shares.blockStars, iEnd = std::min(iBegin + shares.blockStars, n);
        for (int32_t j = i; j < blocks; ++j) {
            // Tile (i - 1, j) is tile j - i + 1 of the row above.
            for (int spins = 0; i > 0 && !shares.stopped() &&
                                __atomic_load_n(&shares.tilesDone[i - 1], __ATOMIC_ACQUIRE) <= j - i + 1;) {
                if (spins < 256) {
                    ++spins;
                    _mm_pause();
                } else {
                    std::this_thread::yield();
                }
            }
            const int32_t jBegin = j * shares.blockStars, jEnd = std::min(jBegin + shares.blockStars, n);
            for (int32_t b = iBegin; b < iEnd; b += lanes) {
                // Between rows, as one thread's single tile is the whole galaxy.
                if (shares.stopped()) {
                    __atomic_store_n(&shares.tilesDone[i], INT32_MAX, __ATOMIC_RELEASE);
                    return;
                }
                const bool own = j == i;
                shares.kernels.pairsOnceRow(*shares.galaxy, shares.sums,
                                            {b / lanes, own ? b + lanes : jBegin, jEnd, own, shares.massesModerate});
            }
            __atomic_store_n(&shares.tilesDone[i], j - i + 1, __ATOMIC_RELEASE);
        }
    }
}

// sum + v with the sum the first operand, as the plain loop compiles its last addition: where
// two NaNs meet x86 keeps the first, and the compiler may swap the operands of a + b.
double sumFirst(double sum, double v) {
    __asm__("addsd %[v], %[sum]" : [sum] "+x"(sum) : [v] "x"(v));
    return sum;
}

void sumShare(const Shares& shares, int t) {
    if (shares.kernels.pairsOnceRow) return sumPairsOnce(shares);
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
Kernels kernelsFor(const StepChoice& choice, int threads, int32_t n) {
    namespace k = step_kernels;
    const InstructionSets& has = instructionSets();
    const bool pairOnce = choice.pairs == PairKernel::EachPairOnce ||
                          (choice.pairs == PairKernel::Fastest && (threads == 1 || n / threads >= kStarsPerThreadForPairsOnce));
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
    Shares shares{kernelsFor(choice, threads, galaxy.n), &galaxy, threads};
    if (shares.kernels.pairsOnceRow) {
        const size_t n = static_cast<size_t>(galaxy.n);
        space.sums.assign(3 * n, 0.0);
        shares.sums = {space.sums.data(), space.sums.data() + n, space.sums.data() + 2 * n};
        // One thread goes along whole rows: one block.
        const int32_t wanted = (galaxy.n / (kPairsOnceBlocksPerThread * threads) + 7) / 8 * 8;
        shares.blockStars = threads == 1 ? std::max(galaxy.n, 1) : std::max(wanted, kPairsOnceBlockStars);
        space.done.assign(static_cast<size_t>(shares.blocks()) + 1, 0);
        shares.tilesDone = space.done.data();
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
