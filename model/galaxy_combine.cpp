#include "model/galaxy_combine.h"

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

#include "model/degree_turn.h"

namespace selvane {

namespace {

// Tilt about x, then spin about z.
struct Turn {
    SineCosine tilt, spin;

    void apply(double& x, double& y, double& z) const {
        const double tiltedY = y * tilt.cosine - z * tilt.sine;
        const double tiltedZ = y * tilt.sine + z * tilt.cosine;
        const double spunX = x * spin.cosine - tiltedY * spin.sine;
        const double spunY = x * spin.sine + tiltedY * spin.cosine;
        x = spunX;
        y = spunY;
        z = tiltedZ;
    }
};

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values) sum = sum + value;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

}  // namespace

bool combineGalaxies(const StarTable& first, const StarTable& second, const GalaxyPlacement& placement, StarTable& out,
                     std::string& problem) {
    const int64_t total = int64_t{first.starCount} + second.starCount;
    if (total > kMaxStars) {
        problem = "together the galaxies have " + std::to_string(total) + " stars, more than the " +
                  std::to_string(kMaxStars) + " a galaxy may have";
        return false;
    }
    StarTable table;
    if (!reallocateStars(table, static_cast<int32_t>(total))) {  // no memory for them
        problem = "there is no memory for " + std::to_string(total) + " stars";
        return false;
    }
    const size_t n = static_cast<size_t>(first.starCount);
    const auto arrays = [](auto& t) {
        return std::array<decltype(&t.mass), 7>{&t.mass, &t.displayX, &t.displayY, &t.displayZ,
                                                &t.velX, &t.velY,     &t.velZ};
    };
    const auto from = arrays(first), also = arrays(second);
    const auto to = arrays(table);
    for (size_t a = 0; a < 7; ++a) {
        std::copy(from[a]->begin(), from[a]->end(), to[a]->begin());
        std::copy(also[a]->begin(), also[a]->end(), to[a]->begin() + static_cast<std::ptrdiff_t>(n));
    }

    const Turn turn{sineCosineOfDegrees(placement.tilt), sineCosineOfDegrees(placement.spin)};
    const double centre[3] = {mean(second.displayX), mean(second.displayY), mean(second.displayZ)};
    for (size_t i = n; i < static_cast<size_t>(total); ++i) {
        double p[3] = {table.displayX[i] - centre[0], table.displayY[i] - centre[1], table.displayZ[i] - centre[2]};
        turn.apply(p[0], p[1], p[2]);
        table.displayX[i] = p[0] + centre[0] + placement.offset[0];
        table.displayY[i] = p[1] + centre[1] + placement.offset[1];
        table.displayZ[i] = p[2] + centre[2] + placement.offset[2];
        turn.apply(table.velX[i], table.velY[i], table.velZ[i]);
        table.velX[i] = table.velX[i] + placement.velocity[0];
        table.velY[i] = table.velY[i] + placement.velocity[1];
        table.velZ[i] = table.velZ[i] + placement.velocity[2];
    }
    startWhereDisplayed(table);
    out = std::move(table);
    return true;
}

}  // namespace selvane
