#pragma once
#include "app/shell.h"
#include "screens/player/player_screen.h"
#include "toolkit/forwarding.h"

// The replay window and its widgets; each hands its event to the screen through the gate.
namespace Quillon::Selvane::Player::GUI {

class XGUI : public ForwardWindow<&gatedEvent<screenGate, &quitApplication>, &gatedPaint<screenGate, &paintViewOf<view>>> {};
class RunStop : public EButton {};  // nothing runs here: the replay never steps the galaxy
#include "screens/view/viewing_widgets.inc"

}  // namespace Quillon::Selvane::Player::GUI
