#include "app/application.h"
#include "app/shell.h"
#include "screens/initialise/initialise_machines.h"
#include "screens/player/player_machines.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "screens/symulator/symulator_machines.h"
#include "screens/transitions.h"
#include "toolkit/e_window.h"
#include "toolkit/file_dialog.h"
#include "toolkit/window_procedure.h"

namespace Quillon::Selvane {

int runProgram(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
    // A run started only to show a file dialog for the first run does that and nothing else.
    if (const auto dialogExit = answerFileDialogRequest()) return *dialogExit;
    application.instance = instance;
    application.previousInstance = previousInstance;
    application.commandLine = commandLine;
    application.showCommand = showCommand;
    toolkitInstance = instance;
    startTickCount = GetTickCount();
    startUp();
    const int exitCode = runMessageLoop();
    dropStep();  // whichever window ended the program, no step outlives it
    return exitCode;
}

void startUp() {
    setInitialStates();
    openInitialiseScreen();
}

// Only the pending states are set: each machine takes them at its next event.
void setInitialStates() {
    Symulator::screenGate.pending = GateState::Ready;
    Symulator::simulationTimer.pending = TimerState::Off;
    Symulator::runStop.pending = ToggleState::Unbound;
    Symulator::playPause.pending = ToggleState::Unbound;
    Symulator::playbackTimer.pending = TimerState::Off;
    Initialise::screenGate.pending = GateState::Ready;
    Player::screenGate.pending = GateState::Ready;
    Player::playPause.pending = ToggleState::Unbound;
    Player::playbackTimer.pending = TimerState::Off;
}

int runMessageLoop() {
    MSG message{};
    // Without a filter window GetMessageA cannot fail, so non-zero always means a message.
    while (GetMessageA(&message, nullptr, 0, 0) != 0) {
        if (routeKeyMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace Quillon::Selvane
