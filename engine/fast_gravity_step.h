#pragma once
#include "engine/gravity_step.h"

namespace selvane {

// Which instruction set sums the velocities: several stars i at once, each lane doing the
// plain loop's operations in the plain loop's order, so the bits are the same.
enum class StepPath { Scalar, Sse2, Avx2, Avx512 };

struct StepChoice {
    int threads = 0;  // 0: every core, or one where the galaxy is too small to pay
    StepPath path = StepPath::Avx512;  // the best the processor has at or below this
};

bool stepPathAvailable(StepPath path);

// gravityStep's result, hooks and counter, bit for bit, summed on all cores with vectors.
// One caller at a time: every step shares one pool of workers.
void fastGravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                     const StepHooks& hooks, const StepChoice& choice = {});

}  // namespace selvane
