#pragma once
#include "screens/state_machine.h"

// The parameter screen's one machine, its gate, as its table: in state, on event, do, then state.
namespace Quillon::Selvane::Initialise {

extern StateMachine screenGate;

// The build event, run by start-up.
void buildInitialiseScreen();

// The build's action (initialise_screen.cpp).
bool buildWindow(StateMachine&);

inline constexpr GateRow kScreenGate[] = {
    {GateState::Ready, Event::Build, buildWindow, GateState::Ready},
};

}  // namespace Quillon::Selvane::Initialise
