#pragma once

namespace Quillon::Selvane {

// The states of the screens' machines; each machine starts in the first state listed.
namespace GateState { enum : int { Ready }; }
namespace TimerState { enum : int { Off, On }; }
namespace RunStopState { enum : int { Unbound, Stopped, Running }; }
namespace PlayPauseState { enum : int { Unbound, Paused, Playing }; }

}  // namespace Quillon::Selvane
