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
// A tick's frame: shows the next one and moves on; true once the last has been shown.
bool showNextFrame(Playback& playback);
// The Indicater's build action: the default range again, and it becomes the position bar.
void registerPositionBar(Playback& playback, EHScrollBar* bar);

constexpr UINT kPlaybackInterval = 1;  // milliseconds; the platform delivers ticks no faster than it can

// The actions of the two tables below.
template <Playback& P> bool startPlaybackTimer(TimerMachine& timer) {
    return setWindowlessTimer(timer, kPlaybackInterval, P.timerCallback);
}
template <Playback& P> bool playbackTick(TimerMachine&);
template <Playback& P> bool play(ButtonMachine& playPause, EButton*);
template <Playback& P> bool pause(ButtonMachine& playPause, EButton*);

// The playback timer machine of a viewing screen.
template <Playback& P>
inline constexpr TimerRow kPlaybackTimer[] = {
    {TimerState::Off, Event::Start, startPlaybackTimer<P>, TimerState::On},
    {TimerState::On, Event::Stop, killWindowlessTimer, TimerState::Off},
    {kAnyState, Event::Tick, playbackTick<P>, kSameState},
};

// The Play/Pause machine of a viewing screen: Idle shows ">", Active "II".
template <Playback& P>
inline constexpr ButtonRow kPlayPause[] = {
    {ToggleState::Unbound, Event::Bind, rememberButton, ToggleState::Idle},
    {ToggleState::Active, Event::Press, pause<P>, ToggleState::Idle},
    {ToggleState::Idle, Event::Press, play<P>, ToggleState::Active},
    {ToggleState::Active, Event::EndReached, pause<P>, ToggleState::Idle},
};

template <Playback& P> bool playbackTick(TimerMachine&) {
    if (showNextFrame(P)) fire(P.playPause, kPlayPause<P>, Event::EndReached);
    invalidateView(P.view);
    return true;
}

// Only with a frame to show; otherwise nothing changes.
template <Playback& P> bool play(ButtonMachine& playPause, EButton*) {
    if (playableFrames() < 1) return false;
    setCaption(playPause, "II");
    fire(P.timer, kPlaybackTimer<P>, Event::Start);
    return true;
}

template <Playback& P> bool pause(ButtonMachine& playPause, EButton*) {
    setCaption(playPause, ">");
    fire(P.timer, kPlaybackTimer<P>, Event::Stop);
    return true;
}

// One-line entries for a screen's widgets and its playback timer.
template <Playback& P> void showFirstFrame() { showFirstFrame(P); }
template <Playback& P> void showLastFrame() { showLastFrame(P); }
template <Playback& P> void showFrameAtScroll(int position) { showFrameAtScroll(P, position); }
template <Playback& P> void pressPlayPause() { fire(P.playPause, kPlayPause<P>, Event::Press); }
template <Playback& P> void onPlaybackTimer() { fire(P.timer, kPlaybackTimer<P>, Event::Tick); }

}  // namespace Quillon::Selvane
