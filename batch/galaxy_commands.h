#pragma once
#include "batch/arguments.h"

namespace selvane::batch {

// `import`: a GADGET snapshot or a plain table of stars as a galaxy file. Returns the exit status.
int importCommand(const CommandLine& line);

// `combine`: two galaxies in one, the second turned, moved and set moving. Returns the exit status.
int combineCommand(const CommandLine& line);

}  // namespace selvane::batch
