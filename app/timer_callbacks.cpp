#include "app/shell.h"
#include "screens/player/player_machines.h"
#include "screens/symulator/symulator_machines.h"

namespace Quillon::Selvane {

void CALLBACK simulationTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    Symulator::onSimulationTimer();
}

void CALLBACK symulatorPlaybackTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    Symulator::onPlaybackTimer();
}

void CALLBACK playerPlaybackTimerProc(HWND, UINT, UINT_PTR, DWORD) {
    Player::onPlaybackTimer();
}

}  // namespace Quillon::Selvane
