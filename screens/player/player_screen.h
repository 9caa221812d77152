#pragma once
#include "screens/player/player_machines.h"
#include "screens/view/playback_controls.h"
#include "screens/view/screen_view.h"

namespace Quillon::Selvane::Player {

// The replay window's own camera and player; the Symulator's are others.
extern ScreenView view;
extern Playback playback;

}  // namespace Quillon::Selvane::Player
