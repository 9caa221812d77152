#pragma once
#include "screens/state_machine.h"

// The Symulator's machines, each as its table of rows: in state, on event, do, then state.
namespace Quillon::Selvane::Symulator {

extern StateMachine screenGate;
extern TimerMachine simulationTimer;
extern ButtonMachine runStop;
extern ButtonMachine playPause;
extern TimerMachine playbackTimer;

// The events from outside: the "Symulator" button, RUN/Stop and the two timers' ticks.
void openSymulator();
void pressRunStop();
void onSimulationTimer();
void onPlaybackTimer();

// The actions of the rows below (symulator_screen.cpp).
bool buildWindow(StateMachine&);
bool startRun(ButtonMachine& runStop, EButton*);
bool stopRun(ButtonMachine& runStop, EButton*);
bool startSimulationTimer(TimerMachine& timer);
bool step(TimerMachine&);

// Every build in Ready makes one more simulation window.
inline constexpr GateRow kScreenGate[] = {
    {GateState::Ready, Event::Build, buildWindow, GateState::Ready},
};

// Idle shows "RUN", Active "Stop".
inline constexpr ButtonRow kRunStop[] = {
    {ToggleState::Unbound, Event::Bind, rememberButton, ToggleState::Idle},
    {ToggleState::Active, Event::Press, stopRun, ToggleState::Idle},
    {ToggleState::Idle, Event::Press, startRun, ToggleState::Active},
};

// Each tick is one gravity step, whatever the state.
inline constexpr TimerRow kSimulationTimer[] = {
    {TimerState::Off, Event::Start, startSimulationTimer, TimerState::On},
    {TimerState::On, Event::Stop, killWindowlessTimer, TimerState::Off},
    {kAnyState, Event::Tick, step, kSameState},
};

// Play/Pause and the playback timer run the viewing screens' tables, kPlayPause and
// kPlaybackTimer (screens/view/playback_controls.h), over this screen's player.

}  // namespace Quillon::Selvane::Symulator
