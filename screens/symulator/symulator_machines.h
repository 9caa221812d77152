#pragma once
#include "screens/state_machine.h"

namespace Quillon::Selvane::Symulator {

extern StateMachine screenGate;
extern TimerMachine simulationTimer;
extern ButtonMachine runStop;
extern ButtonMachine playPause;
extern TimerMachine playbackTimer;

// The build event: every call in Ready builds one more simulation window.
void openSymulator();
// One tick of the simulation timer: a gravity step, whatever the state.
void onSimulationTimer();
// One tick of the replay timer: the next recorded frame, whatever the state.
void onPlaybackTimer();

}  // namespace Quillon::Selvane::Symulator
