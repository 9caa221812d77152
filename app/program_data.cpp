#include "app/program_data.h"

namespace Quillon::Selvane {

selvane::StarTable starTable;
selvane::SimulationParameters simulationParameters;
selvane::FrameFile workFile;

}  // namespace Quillon::Selvane
