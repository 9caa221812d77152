#pragma once
#include <cstdint>
#include <string>

#include "model/star_table.h"

namespace selvane::batch {

// Why the galaxy file at `path` could not be opened, as far as a look at it tells: a star
// count over kMaxStars is named; anything else is a file that is no galaxy.
std::string galaxyReadProblem(const std::string& path);

// Reads --galaxy, the galaxy a recorded run started from, into `galaxy`; the refusal, or empty.
// Its star count must be the recording's.
std::string readStartingGalaxy(const std::string& path, int32_t recordingStars, StarTable& galaxy,
                               SimulationParameters& params);

// The first star whose mass, position or velocity is not a finite number, named with its
// place in the file ("star 3 has a mass of nan"); empty when every star has finite values.
// Such a star spreads NaN or infinity to every other in the first step.
std::string nonFiniteStar(const StarTable& table);

// What a run whose recording would pass the 2 GiB a recording may hold is told before it
// starts; empty when every frame fits.
std::string recordingSizeWarning(int32_t stars, long long steps, int32_t recordingSpeed);

}  // namespace selvane::batch
