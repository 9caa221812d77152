#pragma once
#include "batch/arguments.h"

namespace selvane::batch {

// `render`: a recording's frames as the Player shows them, to PNG pictures or an MP4 video.
// Returns the exit status.
int renderCommand(const CommandLine& line);

}  // namespace selvane::batch
