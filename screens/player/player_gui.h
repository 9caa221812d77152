#pragma once
#include "screens/player/player_screen.h"
#include "screens/view/viewing_gui.h"

namespace Quillon::Selvane::Player {

// The replay window and its widgets; each hands its event to the screen through the gate.
// Nothing runs here, so RUN is a plain button: the replay never steps the galaxy; Space plays.
using GUI = ViewingGUI<screenGate, view, playback, EButton, &pressPlayPause<playback>>;

}  // namespace Quillon::Selvane::Player
