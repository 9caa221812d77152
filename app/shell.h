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

}  // namespace Quillon::Selvane
