#pragma once
#include "screens/view/playback_controls.h"
#include "screens/view/screen_view.h"
#include "screens/symulator/symulator_machines.h"

namespace Quillon::Selvane::Symulator {

// The simulation window's camera and player; one of each for every Symulator window.
extern ScreenView view;
extern Playback playback;

// RUN/Stop pressed: "RUN" starts the steps, "Stop" stops them.
void pressRunStop();

}  // namespace Quillon::Selvane::Symulator
