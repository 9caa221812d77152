#pragma once
#include <cstdint>
#include <functional>

#include "engine/step_kernels.h"
#include "model/star_table.h"

namespace selvane {

// Counts every gravity step of the program run; never reset. 64-bit so it cannot overflow.
struct StepCounter {
    int64_t steps = 0;
};

// Hooks the screens fill in: repaint the view, and append a frame to the recording.
struct StepHooks {
    std::function<void()> invalidateView;
    std::function<void()> recordFrame;
};

// One softened-gravity step: velocities, then positions, then displayed positions,
// then the view hook, then the counter and (every recordingSpeed-th step) the record hook.
void gravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                 const StepHooks& hooks);

// Every step, whichever way its velocities are summed: where the galaxy moves at all (false:
// no stars, or a Size of Star that is not positive, with no softening scale), `galaxy` is the
// view the sums take of it; they add each star's pull, then moveStars and finishStep.
bool galaxyToStep(StarTable& table, const SimulationParameters& params, step_kernels::Galaxy& galaxy);
void moveStars(StarTable& table);
void finishStep(const SimulationParameters& params, StepCounter& counter, const StepHooks& hooks);

}  // namespace selvane
