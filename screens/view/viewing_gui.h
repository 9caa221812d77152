#pragma once
#include "screens/state_machine.h"
#include "screens/view/playback_controls.h"
#include "screens/view/screen_view.h"
#include "screens/view/steered_window.h"
#include "toolkit/forwarding.h"

namespace Quillon::Selvane {

// The widget classes of a viewing window, written once: each forwards its event through the
// screen's gate to the screen's camera (View) or player (P). Symulator::GUI and Player::GUI
// are this template over their own; only their RUN buttons and what Space presses differ.
template <StateMachine& Gate, ScreenView& View, Playback& P, class RunStopButton, void (*SpaceEntry)()>
struct ViewingGUI {
    class XGUI : public SteeredWindow<Gate, View, SpaceEntry, &showLastFrame<P>> {};
    class RunStop : public RunStopButton {};
    class turnOpposite : public ForwardClick<&gatedEvent<Gate, &cameraTurnOpposite<View>>> {};
    class turnBelow : public ForwardClick<&gatedEvent<Gate, &cameraTurnBelow<View>>> {};
    class turnRight : public ForwardClick<&gatedEvent<Gate, &cameraTurnRight<View>>> {};
    class turnAbove : public ForwardClick<&gatedEvent<Gate, &cameraTurnAbove<View>>> {};
    class Indicater : public ForwardChange<&gatedChange<Gate, &showFrameAtScroll<P>>> {};
    class REW : public ForwardClick<&gatedEvent<Gate, &showFirstFrame<P>>> {};
    class Play_Pause : public ForwardClick<&gatedEvent<Gate, &pressPlayPause<P>>> {};
    class FastFoword : public ForwardClick<&gatedEvent<Gate, &showLastFrame<P>>> {};
    class turnLeft : public ForwardClick<&gatedEvent<Gate, &cameraTurnLeft<View>>> {};
    class GO : public ForwardClick<&gatedEvent<Gate, &cameraForward<View>>> {};
    class BACK : public ForwardClick<&gatedEvent<Gate, &cameraBack<View>>> {};
    class HomePosition : public ForwardClick<&gatedEvent<Gate, &cameraHome<View>>> {};
};

}  // namespace Quillon::Selvane
