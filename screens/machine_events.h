#pragma once
#include <windows.h>

#include "screens/state_machine.h"

namespace Quillon::Selvane {

class EButton;

// The button machines (RUN/Stop, Play/Pause) share one shape: Unbound, then an idle state
// whose caption offers to start, and an active one whose caption offers to stop.
namespace ToggleState { enum : int { Unbound, Idle, Active }; }

// Unbound: remember the button, then Idle. Ignored once bound.
void bindToggle(ButtonMachine& machine, EButton* button);

// Relabels the bound button; the texts are kept by reference, so they must be literals.
void setToggleCaption(ButtonMachine& machine, const char* caption);

// Active: idle caption, stop, then Idle. Idle: active caption, start, then Active.
// canStart is asked in Idle only; when it says no, nothing changes.
template <class Start, class Stop, class CanStart>
void pressToggle(ButtonMachine& machine, const char* idleCaption, const char* activeCaption, Start start, Stop stop,
                 CanStart canStart) {
    machine.takePending();
    if (machine.current == ToggleState::Active) {
        setToggleCaption(machine, idleCaption);
        stop();
        machine.pending = ToggleState::Idle;
    } else if (machine.current == ToggleState::Idle && canStart()) {
        setToggleCaption(machine, activeCaption);
        start();
        machine.pending = ToggleState::Active;
    }
}

// The run came to its end by itself: in Active, as a press would stop it.
template <class Stop>
void endToggle(ButtonMachine& machine, const char* idleCaption, Stop stop) {
    machine.takePending();
    if (machine.current != ToggleState::Active) return;
    setToggleCaption(machine, idleCaption);
    stop();
    machine.pending = ToggleState::Idle;
}

// Timer machines: start in Off sets a window-less timer, stop in On kills it.
void startTimer(TimerMachine& machine, UINT interval, TIMERPROC callback);
void stopTimer(TimerMachine& machine);

}  // namespace Quillon::Selvane
