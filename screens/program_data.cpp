#include "screens/program_data.h"

namespace Quillon::Selvane {

selvane::StarTable starTable;
selvane::SimulationParameters simulationParameters;
selvane::FrameFile workFile;
selvane::StepCounter stepCounter;
selvane::StepHooks stepHooks;
selvane::Random randomGenerator;
DWORD startTickCount = 0;
EWindow* viewingWindow = nullptr;

}  // namespace Quillon::Selvane
