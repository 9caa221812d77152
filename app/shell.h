#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// Keeps the entry arguments, starts up and runs the message loop; returns the exit code.
int runProgram(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

// Puts every screen machine into its initial pending state, then opens the parameter screen.
void startUp();

// Dispatches messages until the quit message arrives; returns its code.
int runMessageLoop();

void openInitialiseScreen();
// Opens a simulation window, but only for a galaxy that has stars.
void openSymulatorScreen();
// Closes "Recorder.wrk", then asks the loop to end with exit code 0.
void quitApplication();

// Callbacks of the three window-less timers; their arguments carry nothing the program needs.
void CALLBACK simulationTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK symulatorPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK playerPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

}  // namespace Quillon::Selvane
