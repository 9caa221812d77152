#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// Keeps the entry arguments, starts up and runs the message loop; returns the exit code.
int runProgram(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// Puts every screen machine into its initial pending state, then opens the parameter screen.
void startUp();
// The initial pending state of every screen machine.
void setInitialStates();

// Dispatches messages until the quit message arrives; returns its code.
int runMessageLoop();

void openInitialiseScreen();
// Opens a simulation window, but only for a galaxy that can run and while no viewing
// window is open (that one is brought to the front instead).
void openSymulatorScreen();
// Opens a replay window, or brings the open viewing window to the front.
void openPlayerScreen();
// Closes "Recorder.wrk", then asks the loop to end with exit code 0.
void quitApplication();

// Callbacks of the three window-less timers; their arguments carry nothing the program needs.
void CALLBACK simulationTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK symulatorPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK playerPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

}  // namespace Quillon::Selvane
