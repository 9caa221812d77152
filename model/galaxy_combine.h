#pragma once
#include <string>

#include "model/star_table.h"

namespace selvane {

// How the second galaxy of a collision is placed: turned about its own centre (the mean of its
// positions) by `tilt` degrees about the x axis and then `spin` degrees about the z axis, moved
// by `offset`, and given `velocity` on top of its own (turned) velocities.
struct GalaxyPlacement {
    double offset[3] = {0, 0, 0};
    double velocity[3] = {0, 0, 0};
    double tilt = 0;
    double spin = 0;
};

// The stars of `first`, then those of `second` placed as `placement` says, into `out`. False,
// with `out` untouched and a one-line `problem`, when together they pass kMaxStars or there is
// no memory for them.
bool combineGalaxies(const StarTable& first, const StarTable& second, const GalaxyPlacement& placement, StarTable& out,
                     std::string& problem);

}  // namespace selvane
