#pragma once
#include "screens/state_machine.h"

namespace Quillon::Selvane::Initialise {

extern StateMachine screenGate;

// The build event: in Ready, builds and shows the parameter screen.
void buildInitialiseScreen();

}  // namespace Quillon::Selvane::Initialise
