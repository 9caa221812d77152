#include "screens/symulator/symulator_screen.h"

#include "screens/program_data.h"
#include "screens/running_step.h"
#include "screens/symulator/symulator_gui.h"
#include "screens/timer_callbacks.h"
#include "screens/view/viewing_window.h"

namespace Quillon::Selvane::Symulator {

ScreenView view;
Playback playback{view, playPause, playbackTimer, symulatorPlaybackTimerProc};

namespace {

constexpr UINT kSimulationInterval = 1;  // milliseconds: as fast as steps and repaints allow

}  // namespace

void openSymulator() { fire(screenGate, kScreenGate, Event::Build); }
void pressRunStop() { fire(runStop, kRunStop, Event::Press); }
void onSimulationTimer() { fire(simulationTimer, kSimulationTimer, Event::Tick); }
void onPlaybackTimer() { Selvane::onPlaybackTimer<playback>(); }

bool buildWindow(StateMachine&) {
    settleStep();
    buildViewingWindow<GUI, playback>([](EButton* button) { fire(runStop, kRunStop, Event::Bind, button); },
                                      [] { workFile.createRecording(starTable); });
    stepHooks.invalidateView = [] { invalidateView(view); };
    stepHooks.recordFrame = [] { workFile.recordFrame(starTable); };
    return true;
}

bool startRun(ButtonMachine& button, EButton*) {
    setCaption(button, "Stop");
    fire(simulationTimer, kSimulationTimer, Event::Start);
    return true;
}

bool stopRun(ButtonMachine& button, EButton*) {
    setCaption(button, "RUN");
    fire(simulationTimer, kSimulationTimer, Event::Stop);
    return true;
}

bool startSimulationTimer(TimerMachine& timer) {
    return setWindowlessTimer(timer, kSimulationInterval, simulationTimerProc);
}

bool step(TimerMachine&) {
    stepOnce();
    return true;
}

}  // namespace Quillon::Selvane::Symulator
