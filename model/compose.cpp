#include "model/compose.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/placement_grid.h"

namespace selvane {

namespace {

void centrePositions(StarTable& table) {
    const int32_t n = table.starCount;
    double sx = 0, sy = 0, sz = 0;
    for (int32_t k = 0; k < n; ++k) {
        sx += table.displayX[k];
        sy += table.displayY[k];
        sz += table.displayZ[k];
    }
    const double mx = sx / n, my = sy / n, mz = sz / n;
    for (int32_t k = 0; k < n; ++k) {
        table.displayX[k] -= mx;
        table.posX[k] = table.displayX[k];
        table.displayY[k] -= my;
        table.posY[k] = table.displayY[k];
        table.displayZ[k] -= mz;
        table.posZ[k] = table.displayZ[k];
    }
}

void setOrbitalVelocities(const SimulationParameters& params, Random& random, StarTable& table) {
    const int32_t n = table.starCount;
    double svx = 0, svy = 0;
    for (int32_t k = 0; k < n; ++k) {
        const double x = table.displayX[k], y = table.displayY[k];
        const double r = std::sqrt(x * x + y * y);
        const double u = random.uniformRandom();
        const double s = (1 - u * params.speedDistribution) * params.maxSpeed;
        // A star on the z axis has no tangent; it starts at rest.
        table.velX[k] = r > 0 ? -s * y / r : 0.0;
        table.velY[k] = r > 0 ? s * x / r : 0.0;
        table.velZ[k] = 0;
        svx += table.velX[k];
        svy += table.velY[k];
    }
    const double mvx = svx / n, mvy = svy / n;
    for (int32_t k = 0; k < n; ++k) {
        table.velX[k] -= mvx;
        table.velY[k] -= mvy;
    }
}

}  // namespace

bool composeGalaxy(const FieldTexts& fields, uint32_t elapsedMilliseconds, Random& random,
                   StarTable& table, SimulationParameters& params, std::string* refusal, PlacementTest test) {
    SimulationParameters next = params;
    next.galaxyScale = readRealField(fields.scale);
    next.recordingSpeed = readIntegerField(fields.recordingSpeed);
    next.lightSpeed = readRealField(fields.lightSpeed);
    next.starSize = readRealField(fields.sizeOfStar);
    next.maxSpeed = readRealField(fields.maxSpeed);
    next.speedDistribution = readRealField(fields.speedDistribution);
    int32_t wanted = readIntegerField(fields.numberOfStar);
    if (wanted < 0) wanted = 0;  // a negative count composes an empty galaxy
    if (wanted > kMaxStars) {
        if (refusal)
            *refusal = "a galaxy has at most " + std::to_string(kMaxStars) + " stars, not " + std::to_string(wanted);
        return false;
    }
    const auto outOfMemory = [&] {
        if (refusal) *refusal = "not enough memory for a galaxy of " + std::to_string(wanted) + " stars";
        return false;
    };

    StarTable fresh;
    if (!reallocateStars(fresh, wanted)) return outOfMemory();
    Random draws = random;
    draws.seedRandom(elapsedMilliseconds);
    double* const x = fresh.displayX.data();
    double* const y = fresh.displayY.data();
    double* const z = fresh.displayZ.data();
    const int32_t placed =
        test == PlacementTest::Grid
            ? placeWithGrid(wanted, next.galaxyScale, next.starSize, kMaxPlacementAttempts, draws, x, y, z)
            : placeWithPlainTest(wanted, next.galaxyScale, next.starSize, kMaxPlacementAttempts, draws, x, y, z);
    if (placed < wanted) {
        // The table holds only the stars that found room, in arrays of their size.
        StarTable exact;
        if (!reallocateStars(exact, placed)) return outOfMemory();
        std::copy(x, x + placed, exact.displayX.begin());
        std::copy(y, y + placed, exact.displayY.begin());
        std::copy(z, z + placed, exact.displayZ.begin());
        fresh = std::move(exact);
    }
    if (fresh.starCount > 0) {
        centrePositions(fresh);
        setOrbitalVelocities(next, draws, fresh);
        for (int32_t k = 0; k < fresh.starCount; ++k) fresh.mass[k] = draws.uniformRandom();
    }
    table = std::move(fresh);
    params = next;
    random = draws;
    return true;
}

}  // namespace selvane
