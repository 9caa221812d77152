#pragma once
#include <windows.h>

#include "engine/frame_file.h"
#include "engine/gravity_step.h"
#include "model/random.h"
#include "model/star_table.h"

namespace Quillon::Selvane {

class EWindow;

// The one galaxy, its parameters and the one stream on "Recorder.wrk", shared by every screen.
extern selvane::StarTable starTable;
extern selvane::SimulationParameters simulationParameters;
extern selvane::FrameFile workFile;

// Steps of the whole program run (the recording cadence counts them) and what a step
// asks of the simulation window: a repaint and, at the cadence, a frame.
extern selvane::StepCounter stepCounter;
extern selvane::StepHooks stepHooks;

// Compose's generator, seeded from the milliseconds since start-up.
extern selvane::Random randomGenerator;
extern DWORD startTickCount;

// The open Symulator or Player window, if any: only one at a time may use the recording.
extern EWindow* viewingWindow;

}  // namespace Quillon::Selvane
