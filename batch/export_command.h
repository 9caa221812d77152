#pragma once
#include "batch/arguments.h"

namespace selvane::batch {

// `export`: a galaxy or a recording's frames as GADGET snapshots or a VTK time series.
// Returns the exit status.
int exportCommand(const CommandLine& line);

}  // namespace selvane::batch
