#include "screens/initialise/initialise_machines.h"

namespace Quillon::Selvane::Initialise {

StateMachine screenGate;

}  // namespace Quillon::Selvane::Initialise
