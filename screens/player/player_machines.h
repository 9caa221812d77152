#pragma once
#include "screens/state_machine.h"

// The Player's machines, each as its table of rows: in state, on event, do, then state.
namespace Quillon::Selvane::Player {

extern StateMachine screenGate;
extern ButtonMachine playPause;
extern TimerMachine playbackTimer;

// The events from outside: the "Player" button and the playback timer's tick.
void openPlayer();
void onPlaybackTimer();

// The build's action (player_screen.cpp).
bool buildWindow(StateMachine&);

// Every build in Ready makes one more replay window, or ends the program without a recording.
inline constexpr GateRow kScreenGate[] = {
    {GateState::Ready, Event::Build, buildWindow, GateState::Ready},
};

// Play/Pause and the playback timer run the viewing screens' tables, kPlayPause and
// kPlaybackTimer (screens/view/playback_controls.h), over this screen's player.

}  // namespace Quillon::Selvane::Player
