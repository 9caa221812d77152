#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// Callbacks of the three window-less timers; their arguments carry nothing the program needs.
void CALLBACK simulationTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK symulatorPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
void CALLBACK playerPlaybackTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
// Looks whether the sums of a step in flight are done, and then ends it.
void CALLBACK stepEndTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

}  // namespace Quillon::Selvane
