#pragma once
#include <vector>

#include "engine/gravity_step.h"

namespace selvane {

// Which instruction set sums the velocities: several stars i at once, each lane doing the
// plain loop's operations in the plain loop's order, so the bits are the same.
enum class StepPath { Scalar, Sse2, Avx2, Avx512 };

// How the pairs are summed with AVX2 or AVX-512: each pair's shared work once with divisions
// from multiply-adds, or every ordered pair on its own with the processor's divisions. Both
// give the same bits; the first is faster on one thread and, from a few thousand stars, on
// several, where its threads go along rows of tiles that wait on the row above (measured side
// by side, `make bench`).
enum class PairKernel { Fastest, EachOrderedPair, EachPairOnce };

struct StepChoice {
    int threads = 0;  // 0: every core, or one where the galaxy is too small to pay
    StepPath path = StepPath::Avx512;  // the best the processor has at or below this
    PairKernel pairs = PairKernel::Fastest;
};

bool stepPathAvailable(StepPath path);

// The working space of each pair once: the pulls so far, and per block the tiles of its row
// finished, then the next block's row to take.
struct PairsOnceSpace {
    std::vector<double> sums;
    std::vector<int32_t> done;
};

// gravityStep's result, hooks and counter, bit for bit, summed on all cores with vectors.
// One caller at a time: every step shares one pool of workers.
void fastGravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                     const StepHooks& hooks, const StepChoice& choice = {});

// A step whose pair sums run on the workers while the calling thread goes on (a window's thread
// keeps its messages). It ends only in finish, on the calling thread, exactly as
// fastGravityStep ends, so counter, hooks and recording are the same. One at a time, and never
// beside fastGravityStep: both use the one pool of workers.
class BackgroundStep {
public:
    // Starts one step's sums. Until finish or abandon the step reads the table's positions and
    // masses, which nothing may change, and sums into velocities of its own: the table's stay
    // those before the step, for anyone to read. A galaxy too small for the workers is summed
    // here and now.
    void begin(StarTable& table, const SimulationParameters& params, const StepChoice& choice = {});
    bool inFlight() const { return inFlight_; }
    // Waits at most `milliseconds` for the sums; true when they are done or none are in flight.
    bool summed(int milliseconds = 0);
    // Waits for the sums, then moves the stars and ends the step; nothing with none in flight.
    void finish(StepCounter& counter, const StepHooks& hooks);
    // Stops the sums at their next piece (a share of stars, or a row of a tile) and
    // forgets the step: the table is as it was before begin.
    void abandon();

private:
    StarTable* table_ = nullptr;
    SimulationParameters params_;
    step_kernels::Galaxy galaxy_{};
    std::vector<double> velX_, velY_, velZ_;  // the step's velocities, kept for the next
    PairsOnceSpace pairsOnce_;
    bool moving_ = false;
    bool onWorkers_ = false;
    bool inFlight_ = false;
};

}  // namespace selvane
