#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// A screen's flat state machine: an event first takes the pending state as current, then
// acts only in a state that accepts it and sets the next pending state.
struct StateMachine {
    int pending = 0;
    int current = 0;
    void takePending() { current = pending; }
};

class EButton;

// A machine that relabels the one button it was bound to.
struct ButtonMachine : StateMachine {
    EButton* button = nullptr;
};

// A machine that owns one window-less timer.
struct TimerMachine : StateMachine {
    UINT_PTR timerId = 0;
};

// A screen's event entry: the gate takes its pending state, then the handler runs.
template <StateMachine& Gate, void (*Handler)()>
void gatedEvent() {
    Gate.takePending();
    Handler();
}

template <StateMachine& Gate, void (*Handler)(int)>
void gatedChange(int value) {
    Gate.takePending();
    Handler(value);
}

template <StateMachine& Gate, void (*Handler)(HWND)>
void gatedPaint(HWND window) {
    Gate.takePending();
    Handler(window);
}

}  // namespace Quillon::Selvane
