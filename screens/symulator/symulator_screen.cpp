#include "screens/symulator/symulator_screen.h"

#include "app/program_data.h"
#include "engine/fast_gravity_step.h"
#include "screens/machine_events.h"
#include "screens/machine_states.h"
#include "screens/symulator/symulator_gui.h"
#include "screens/view/viewing_window.h"

namespace Quillon::Selvane::Symulator {

ScreenView view;
Playback playback{view, playPause, playbackTimer, symulatorPlaybackTimerProc};

namespace {

constexpr UINT kSimulationInterval = 1;  // milliseconds: as fast as steps and repaints allow

}  // namespace

void pressRunStop() {
    pressToggle(
        runStop, "RUN", "Stop", [] { startTimer(simulationTimer, kSimulationInterval, simulationTimerProc); },
        [] { stopTimer(simulationTimer); }, [] { return true; });
}

void openSymulator() {
    screenGate.takePending();
    if (screenGate.current != GateState::Ready) return;
    buildViewingWindow<GUI::Widgets>(
        playback, [](EButton* button) { bindToggle(runStop, button); },
        [] { workFile.createRecording(starTable); });
    stepHooks.invalidateView = [] { invalidateView(view); };
    stepHooks.recordFrame = [] { workFile.recordFrame(starTable); };
    screenGate.pending = GateState::Ready;
}

void onSimulationTimer() {
    simulationTimer.takePending();
    selvane::fastGravityStep(starTable, simulationParameters, stepCounter, stepHooks);
}

void onPlaybackTimer() { Selvane::onPlaybackTimer<playback>(); }

}  // namespace Quillon::Selvane::Symulator
