#pragma once
#include "engine/frame_file.h"
#include "model/star_table.h"

namespace Quillon::Selvane {

// The one galaxy, its parameters and the one stream on "Recorder.wrk", shared by every screen.
extern selvane::StarTable starTable;
extern selvane::SimulationParameters simulationParameters;
extern selvane::FrameFile workFile;

}  // namespace Quillon::Selvane
