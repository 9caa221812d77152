#include "screens/player/player_machines.h"

namespace Quillon::Selvane::Player {

StateMachine screenGate;
ButtonMachine playPause;
TimerMachine playbackTimer;

}  // namespace Quillon::Selvane::Player
