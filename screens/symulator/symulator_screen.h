#pragma once
#include "screens/symulator/symulator_machines.h"
#include "screens/view/playback_controls.h"
#include "screens/view/screen_view.h"

namespace Quillon::Selvane::Symulator {

// The simulation window's camera and player; one of each for every Symulator window.
extern ScreenView view;
extern Playback playback;

}  // namespace Quillon::Selvane::Symulator
