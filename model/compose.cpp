#include "model/compose.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace selvane {

double readRealField(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    const double value = std::strtod(begin, &end);
    return end == begin ? 0.0 : value;
}

int32_t readIntegerField(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(begin, &end, 10);
    if (end == begin) return 0;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

namespace {

// Places up to `wanted` stars in the slab, each more than starSize from the others.
int32_t placeStars(int32_t wanted, const SimulationParameters& params, Random& random, StarTable& table) {
    const double scale = params.galaxyScale;
    const double minDistance2 = params.starSize * params.starSize;
    for (int32_t j = 0; j < wanted; ++j) {
        bool placed = false;
        for (int attempt = 0; attempt < kMaxPlacementAttempts && !placed; ++attempt) {
            const double x = (random.uniformRandom() - 0.5) * scale;
            const double y = (random.uniformRandom() - 0.5) * scale;
            const double z = (random.uniformRandom() - 0.5) * (0.2 * scale);
            placed = true;
            for (int32_t i = 0; i < j; ++i) {
                const double dx = x - table.displayX[i];
                const double dy = y - table.displayY[i];
                const double dz = z - table.displayZ[i];
                if (minDistance2 >= dx * dx + dy * dy + dz * dz) {
                    placed = false;
                    break;
                }
            }
            if (placed) {
                table.displayX[j] = x;
                table.displayY[j] = y;
                table.displayZ[j] = z;
            }
        }
        if (!placed) return j;
    }
    return wanted;
}

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

void shrinkTo(StarTable& table, int32_t count) {
    for (auto* array : {&table.displayX, &table.displayY, &table.displayZ, &table.posX, &table.posY,
                        &table.posZ, &table.velX, &table.velY, &table.velZ, &table.mass})
        array->resize(static_cast<size_t>(count));
    table.starCount = count;
}

}  // namespace

bool composeGalaxy(const FieldTexts& fields, uint32_t elapsedMilliseconds, Random& random,
                   StarTable& table, SimulationParameters& params) {
    SimulationParameters next = params;
    next.galaxyScale = readRealField(fields.scale);
    next.recordingSpeed = readIntegerField(fields.recordingSpeed);
    next.lightSpeed = readRealField(fields.lightSpeed);
    next.starSize = readRealField(fields.sizeOfStar);
    next.maxSpeed = readRealField(fields.maxSpeed);
    next.speedDistribution = readRealField(fields.speedDistribution);
    int32_t wanted = readIntegerField(fields.numberOfStar);
    if (wanted < 0) wanted = 0;  // a negative count composes an empty galaxy

    StarTable fresh;
    if (!reallocateStars(fresh, wanted)) return false;
    random.seedRandom(elapsedMilliseconds);

    const int32_t placed = placeStars(wanted, next, random, fresh);
    if (placed < wanted) shrinkTo(fresh, placed);
    if (fresh.starCount > 0) {
        centrePositions(fresh);
        setOrbitalVelocities(next, random, fresh);
        for (int32_t k = 0; k < fresh.starCount; ++k) fresh.mass[k] = random.uniformRandom();
    }
    table = std::move(fresh);
    params = next;
    return true;
}

}  // namespace selvane
