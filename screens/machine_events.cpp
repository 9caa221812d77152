#include "screens/machine_events.h"

#include "screens/machine_states.h"
#include "toolkit/e_button.h"

namespace Quillon::Selvane {

static_assert(int{ToggleState::Idle} == RunStopState::Stopped && int{ToggleState::Active} == RunStopState::Running);
static_assert(int{ToggleState::Idle} == PlayPauseState::Paused && int{ToggleState::Active} == PlayPauseState::Playing);

void bindToggle(ButtonMachine& machine, EButton* button) {
    machine.takePending();
    if (machine.current != ToggleState::Unbound) return;
    machine.button = button;
    machine.pending = ToggleState::Idle;
}

void setToggleCaption(ButtonMachine& machine, const char* caption) {
    if (machine.button) machine.button->setText(caption);
}

void startTimer(TimerMachine& machine, UINT interval, TIMERPROC callback) {
    machine.takePending();
    if (machine.current != TimerState::Off) return;
    const UINT_PTR id = SetTimer(nullptr, 0, interval, callback);
    if (!id) return;  // no timer to be had: the machine stays Off
    machine.timerId = id;
    machine.pending = TimerState::On;
}

void stopTimer(TimerMachine& machine) {
    machine.takePending();
    if (machine.current != TimerState::On) return;
    KillTimer(nullptr, machine.timerId);
    machine.pending = TimerState::Off;
}

}  // namespace Quillon::Selvane
