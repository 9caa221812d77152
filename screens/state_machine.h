#pragma once
#include <windows.h>

#include <cstddef>

namespace Quillon::Selvane {

// A screen's flat state machine. Two integers because the event that arrives first takes the
// pending state as current and tests only that; what it sets is pending until the next event.
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

// The states of the screens' machines; each machine starts in the first state listed.
namespace GateState { enum : int { Ready }; }
namespace TimerState { enum : int { Off, On }; }
// RUN/Stop and both Play/Pause buttons: Idle offers to start ("RUN", ">"), Active to stop.
namespace ToggleState { enum : int { Unbound, Idle, Active }; }

// A row that holds in every state, and a row that leaves the state as it is.
constexpr int kAnyState = -1;
constexpr int kSameState = -1;

enum class Event { Build, Bind, Press, EndReached, Start, Stop, Tick };

// One row of a machine's table: in `state`, `event` runs `action`, and when the action could be
// done (it returns true) the next pending state is `next`. Extra is what the event brings along.
template <class Machine, class... Extra>
struct Row {
    int state;
    Event event;
    bool (*action)(Machine&, Extra...);
    int next;
};

template <class T> struct Given { using Type = T; };

// An event: the machine takes its pending state, then the first row for that state and event
// acts; with no such row the event is ignored.
template <class Machine, class... Extra, size_t N>
void fire(Machine& machine, const Row<Machine, Extra...> (&rows)[N], Event event,
          typename Given<Extra>::Type... extra) {
    machine.takePending();
    for (const auto& row : rows) {
        if (row.event != event || (row.state != kAnyState && row.state != machine.current)) continue;
        if (row.action(machine, extra...) && row.next != kSameState) machine.pending = row.next;
        return;
    }
}

// An event that brings nothing to a machine whose bind brings a button.
template <class Machine, class Extra, size_t N>
void fire(Machine& machine, const Row<Machine, Extra> (&rows)[N], Event event) {
    fire(machine, rows, event, Extra{});
}

using GateRow = Row<StateMachine>;
using ButtonRow = Row<ButtonMachine, EButton*>;
using TimerRow = Row<TimerMachine>;

// The actions every table shares.
bool rememberButton(ButtonMachine& machine, EButton* button);
// Relabels the bound button; the texts are kept by reference, so they must be literals.
void setCaption(ButtonMachine& machine, const char* caption);
// A window-less timer; false when the system has none to give.
bool setWindowlessTimer(TimerMachine& machine, UINT interval, TIMERPROC callback);
bool killWindowlessTimer(TimerMachine& machine);

// A screen's widget event: the gate takes its pending state, then the handler runs in any state.
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

template <StateMachine& Gate, bool (*Handler)(int, bool)>
bool gatedKey(int virtualKey, bool down) {
    Gate.takePending();
    return Handler(virtualKey, down);
}

}  // namespace Quillon::Selvane
