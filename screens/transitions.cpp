#include "screens/transitions.h"

#include "screens/initialise/initialise_machines.h"
#include "screens/player/player_machines.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "screens/symulator/symulator_machines.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

namespace {

// One viewing window at a time, so no two streams ever share "Recorder.wrk": a second
// request brings the open one to the front instead.
bool raiseViewingWindow() {
    if (!viewingWindow || !viewingWindow->handle || !IsWindow(viewingWindow->handle)) return false;
    ShowWindow(viewingWindow->handle, SW_RESTORE);
    SetForegroundWindow(viewingWindow->handle);
    return true;
}

// Stars to move, frames to record and a softening scale: otherwise there is nothing to run.
bool galaxyCanRun() {
    return starTable.starCount > 0 && simulationParameters.recordingSpeed >= 1 && simulationParameters.starSize > 0;
}

}  // namespace

void openInitialiseScreen() {
    Initialise::buildInitialiseScreen();
}

void openSymulatorScreen() {
    if (!galaxyCanRun() || raiseViewingWindow()) return;
    Symulator::openSymulator();
}

void openPlayerScreen() {
    if (raiseViewingWindow()) return;
    Player::openPlayer();
}

void quitApplication() {
    dropStep();
    workFile.closeRecording();
    PostQuitMessage(0);
}

}  // namespace Quillon::Selvane
