#pragma once

namespace Quillon::Selvane {

// The moves between screens that the screens' buttons and windows ask for.
void openInitialiseScreen();
// Opens a simulation window, but only for a galaxy that can run and while no viewing
// window is open (that one is brought to the front instead).
void openSymulatorScreen();
// Opens a replay window, or brings the open viewing window to the front.
void openPlayerScreen();
// Closes "Recorder.wrk", then asks the loop to end with exit code 0.
void quitApplication();

}  // namespace Quillon::Selvane
