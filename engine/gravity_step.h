#pragma once
#include <cstdint>
#include <functional>

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

// The end of every step, whichever way the velocities were summed: positions move by the
// new velocities and are displayed; then the view hook, the counter and the record hook.
void moveStars(StarTable& table);
void finishStep(const SimulationParameters& params, StepCounter& counter, const StepHooks& hooks);

}  // namespace selvane
