#include "screens/player/player_screen.h"

#include "screens/player/player_gui.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "screens/timer_callbacks.h"
#include "screens/view/viewing_window.h"

namespace Quillon::Selvane::Player {

ScreenView view;
Playback playback{view, playPause, playbackTimer, playerPlaybackTimerProc};

void openPlayer() { fire(screenGate, kScreenGate, Event::Build); }
void onPlaybackTimer() { Selvane::onPlaybackTimer<playback>(); }

bool buildWindow(StateMachine&) {
    settleStep();
    // Without a recording there is nothing to replay and the program ends; the file is
    // opened before any window exists, so none appears even for a moment.
    if (!workFile.openRecording(starTable)) {
        PostQuitMessage(0);
        return false;
    }
    buildViewingWindow<GUI, playback>([](EButton*) {}, [] {});
    return true;
}

}  // namespace Quillon::Selvane::Player
