#include "screens/timer_callbacks.h"

#include "screens/player/player_machines.h"
#include "screens/running_step.h"
#include "screens/symulator/symulator_machines.h"

namespace Quillon::Selvane {
namespace {

// As in the window procedure: no exception unwinds into the system's code; that tick is lost.
template <void (*onTick)()>
void tickSafely() {
    try {
        onTick();
    } catch (...) {
    }
}

}  // namespace

void CALLBACK simulationTimerProc(HWND, UINT, UINT_PTR, DWORD) { tickSafely<Symulator::onSimulationTimer>(); }

void CALLBACK symulatorPlaybackTimerProc(HWND, UINT, UINT_PTR, DWORD) { tickSafely<Symulator::onPlaybackTimer>(); }

void CALLBACK playerPlaybackTimerProc(HWND, UINT, UINT_PTR, DWORD) { tickSafely<Player::onPlaybackTimer>(); }

void CALLBACK stepEndTimerProc(HWND, UINT, UINT_PTR, DWORD) { tickSafely<endStepIfSummed>(); }

}  // namespace Quillon::Selvane
