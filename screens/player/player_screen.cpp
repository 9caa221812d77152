#include "screens/player/player_screen.h"

#include "app/program_data.h"
#include "screens/machine_events.h"
#include "screens/machine_states.h"
#include "screens/player/player_gui.h"
#include "screens/view/viewing_window.h"

namespace Quillon::Selvane::Player {

ScreenView view;
Playback playback{view, playPause, playbackTimer, playerPlaybackTimerProc};

void openPlayer() {
    screenGate.takePending();
    if (screenGate.current != GateState::Ready) return;
    // Without a recording there is nothing to replay and the program ends; the file is
    // opened before any window exists, so none appears even for a moment.
    if (!workFile.openRecording(starTable)) {
        PostQuitMessage(0);
        return;
    }
    buildViewingWindow<GUI::Widgets>(playback, [](EButton*) {}, [] {});
    screenGate.pending = GateState::Ready;
}

void onPlaybackTimer() { Selvane::onPlaybackTimer<playback>(); }

}  // namespace Quillon::Selvane::Player
