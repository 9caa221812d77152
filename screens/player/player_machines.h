#pragma once
#include "screens/state_machine.h"

namespace Quillon::Selvane::Player {

extern StateMachine screenGate;
extern ButtonMachine playPause;
extern TimerMachine playbackTimer;

// The build event, run straight from the "Player" button.
void openPlayer();
// One tick of the replay timer: the next frame of "Recorder.wrk".
void onPlaybackTimer();

}  // namespace Quillon::Selvane::Player
