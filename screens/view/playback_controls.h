#pragma once
#include <windows.h>

#include <cstdint>

#include "screens/state_machine.h"
#include "screens/view/screen_view.h"

namespace Quillon::Selvane {

class EHScrollBar;

// A viewing screen's player of "Recorder.wrk": the frame the next tick shows, the
// position scroll bar, the Play/Pause machine and the playback timer.
struct Playback {
    ScreenView& view;
    ButtonMachine& playPause;
    TimerMachine& timer;
    TIMERPROC timerCallback;
    EHScrollBar* positionBar = nullptr;
    int32_t playPosition = 0;
    // Where the bar was last put for a shown frame; a move with no frames goes back there.
    int32_t shownPosition = 0;
};

// Frames the player can show: those in the open recording.
int32_t playableFrames();

void scrollFromFrame(Playback& playback, int32_t k);
void showFirstFrame(Playback& playback);
void showLastFrame(Playback& playback);
void showFrameAtScroll(Playback& playback, int32_t position);
void playbackTick(Playback& playback);
// Play/Pause pressed: ">" starts playback (only when there is a frame), "II" pauses it.
void pressPlayPause(Playback& playback);
// The Indicater's build action: the default range again, and it becomes the position bar.
void registerPositionBar(Playback& playback, EHScrollBar* bar);

// One-line entries for a screen's widgets.
template <Playback& P> void showFirstFrame() { showFirstFrame(P); }
template <Playback& P> void showLastFrame() { showLastFrame(P); }
template <Playback& P> void showFrameAtScroll(int position) { showFrameAtScroll(P, position); }
template <Playback& P> void pressPlayPause() { pressPlayPause(P); }
// A tick of the playback timer: the machine takes its pending state, then acts in any state.
template <Playback& P> void onPlaybackTimer() {
    P.timer.takePending();
    playbackTick(P);
}

}  // namespace Quillon::Selvane
