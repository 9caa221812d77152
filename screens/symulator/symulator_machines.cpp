#include "screens/symulator/symulator_machines.h"

namespace Quillon::Selvane::Symulator {

StateMachine screenGate;
TimerMachine simulationTimer;
ButtonMachine runStop;
ButtonMachine playPause;
TimerMachine playbackTimer;

}  // namespace Quillon::Selvane::Symulator
