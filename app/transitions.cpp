#include "app/program_data.h"
#include "app/shell.h"
#include "screens/initialise/initialise_machines.h"
#include "screens/symulator/symulator_machines.h"

namespace Quillon::Selvane {

void openInitialiseScreen() {
    Initialise::buildInitialiseScreen();
}

void openSymulatorScreen() {
    if (starTable.starCount > 0) Symulator::openSymulator();
}

void quitApplication() {
    workFile.closeRecording();
    PostQuitMessage(0);
}

}  // namespace Quillon::Selvane
