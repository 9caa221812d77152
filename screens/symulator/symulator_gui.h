#pragma once
#include "screens/symulator/symulator_screen.h"
#include "screens/view/viewing_gui.h"

namespace Quillon::Selvane::Symulator {

// The simulation window and its widgets; each hands its event to the screen through the gate.
using GUI = ViewingGUI<screenGate, view, playback, ForwardClick<&gatedEvent<screenGate, &pressRunStop>>,
                       &pressRunStop>;

}  // namespace Quillon::Selvane::Symulator
