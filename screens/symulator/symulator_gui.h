#pragma once
#include "app/shell.h"
#include "screens/symulator/symulator_screen.h"
#include "toolkit/forwarding.h"

// The simulation window and its widgets; each hands its event to the screen through the gate.
namespace Quillon::Selvane::Symulator::GUI {

class XGUI : public ForwardWindow<&gatedEvent<screenGate, &quitApplication>, &gatedPaint<screenGate, &paintViewOf<view>>> {};
class RunStop : public ForwardClick<&gatedEvent<screenGate, &pressRunStop>> {};
class turnOpposite : public ForwardClick<&gatedEvent<screenGate, &cameraTurnOpposite<view>>> {};
class turnBelow : public ForwardClick<&gatedEvent<screenGate, &cameraTurnBelow<view>>> {};
class turnRight : public ForwardClick<&gatedEvent<screenGate, &cameraTurnRight<view>>> {};
class turnAbove : public ForwardClick<&gatedEvent<screenGate, &cameraTurnAbove<view>>> {};
class Indicater : public ForwardChange<&gatedChange<screenGate, &showFrameAtScroll<playback>>> {};
class REW : public ForwardClick<&gatedEvent<screenGate, &showFirstFrame<playback>>> {};
class Play_Pause : public ForwardClick<&gatedEvent<screenGate, &pressPlayPause<playback>>> {};
class FastFoword : public ForwardClick<&gatedEvent<screenGate, &showLastFrame<playback>>> {};
class turnLeft : public ForwardClick<&gatedEvent<screenGate, &cameraTurnLeft<view>>> {};
class GO : public ForwardClick<&gatedEvent<screenGate, &cameraForward<view>>> {};
class BACK : public ForwardClick<&gatedEvent<screenGate, &cameraBack<view>>> {};
class HomePosition : public ForwardClick<&gatedEvent<screenGate, &cameraHome<view>>> {};

// The classes above by name, for the build that both viewing screens share.
struct Widgets {
    using XGUI = GUI::XGUI;
    using RunStop = GUI::RunStop;
    using turnOpposite = GUI::turnOpposite;
    using turnBelow = GUI::turnBelow;
    using turnRight = GUI::turnRight;
    using turnAbove = GUI::turnAbove;
    using Indicater = GUI::Indicater;
    using REW = GUI::REW;
    using Play_Pause = GUI::Play_Pause;
    using FastFoword = GUI::FastFoword;
    using turnLeft = GUI::turnLeft;
    using GO = GUI::GO;
    using BACK = GUI::BACK;
    using HomePosition = GUI::HomePosition;
};

}  // namespace Quillon::Selvane::Symulator::GUI
