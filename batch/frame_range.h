#pragma once
#include <cstdint>
#include <string>

#include "batch/arguments.h"

namespace selvane::batch {

// An option's whole number within [low, high]; true also when the option is not given
// (`value` then stays as it was).
bool readWholeOption(const CommandLine& line, const char* option, long long low, long long high, long long& value);

// The frames --from and --to choose of a recording of `frames` frames (default all of them);
// the refusal in one line, or empty.
std::string chooseFrames(const CommandLine& line, int64_t frames, long long& from, long long& to);

}  // namespace selvane::batch
