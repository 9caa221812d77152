#pragma once
#include "app/shell.h"
#include "screens/symulator/symulator_screen.h"
#include "toolkit/forwarding.h"

// The simulation window and its widgets; each hands its event to the screen through the gate.
namespace Quillon::Selvane::Symulator::GUI {

class XGUI : public ForwardWindow<&gatedEvent<screenGate, &quitApplication>, &gatedPaint<screenGate, &paintViewOf<view>>> {};
class RunStop : public ForwardClick<&gatedEvent<screenGate, &pressRunStop>> {};
#include "screens/view/viewing_widgets.inc"

}  // namespace Quillon::Selvane::Symulator::GUI
