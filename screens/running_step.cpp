#include "screens/running_step.h"

#include <windows.h>

#include "engine/fast_gravity_step.h"
#include "screens/program_data.h"
#include "screens/timer_callbacks.h"

namespace Quillon::Selvane {

namespace {

selvane::BackgroundStep step;
UINT_PTR endTimer = 0;

// A step summed within this ends in the tick that began it, as on one thread.
constexpr int kQuickStepMilliseconds = 4;

void stopEndTimer() {
    if (endTimer) KillTimer(nullptr, endTimer);
    endTimer = 0;
}

void endStep() {
    stopEndTimer();
    step.finish(stepCounter, stepHooks);
}

}  // namespace

void stepOnce() {
    if (step.inFlight()) return;
    step.begin(starTable, simulationParameters);
    if (!step.summed(kQuickStepMilliseconds)) endTimer = SetTimer(nullptr, 0, 1, stepEndTimerProc);
    if (!endTimer) endStep();  // summed already, or no timer to be had: end it here
}

void endStepIfSummed() {
    if (step.inFlight() && step.summed()) endStep();
}

void settleStep() {
    if (step.inFlight()) endStep();
}

void dropStep() {
    stopEndTimer();
    step.abandon();
}

}  // namespace Quillon::Selvane
