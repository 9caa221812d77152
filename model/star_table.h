#pragma once
#include <cstdint>
#include <vector>

namespace selvane {

// The one galaxy of the program. All ten arrays always hold starCount elements.
struct StarTable {
    int32_t starCount = 0;
    bool present = false;  // false until the first Compose or Open
    // The Player gave the table another recording's star count: positions with no masses or
    // velocities behind them, which are no galaxy to save.
    bool replayOnly = false;
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

// The largest galaxy Compose makes and Open or the Player believe. The gravity step costs
// N^2 pair terms: at 200,000 stars that is 4e10 per step, tens of seconds even for a fast
// step on a desktop, so a run of a few hundred steps already takes hours; more stars
// cannot be watched or run in any useful time. The ten arrays then take 16 MB, a frame of
// a recording 4.8 MB.
constexpr int32_t kMaxStars = 200000;

// Replaces all ten arrays with zeroed arrays of `count` elements and sets starCount.
// All or nothing: on allocation failure (or a count that is negative or above kMaxStars)
// the table is untouched and false is returned.
bool reallocateStars(StarTable& table, int32_t count);

// A galaxy read from a file starts where it is displayed: copies the displayed positions into
// the positions the step moves, whose arrays already have the size.
void startWhereDisplayed(StarTable& table);

}  // namespace selvane
