#pragma once
#include <cstdint>
#include <vector>

namespace selvane {

// The one galaxy of the program. All ten arrays always hold starCount elements.
struct StarTable {
    int32_t starCount = 0;
    bool present = false;  // false until the first Compose or Open
    std::vector<double> displayX, displayY, displayZ;
    std::vector<double> posX, posY, posZ;
    std::vector<double> velX, velY, velZ;
    std::vector<double> mass;
};

struct SimulationParameters {
    int32_t recordingSpeed = 0;
    double lightSpeed = 0;
    double speedDistribution = 0;
    double galaxyScale = 0;
    double starSize = 0;
    double maxSpeed = 0;
};

// Replaces all ten arrays with zeroed arrays of `count` elements and sets starCount.
// All or nothing: on allocation failure (or a negative count) the table is untouched
// and false is returned.
bool reallocateStars(StarTable& table, int32_t count);

}  // namespace selvane
