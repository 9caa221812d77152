// The plain loop as it stood before the program had its own exp: it took the C library's
// exp, which on glibc sets errno for every far pair whose exp underflows. Kept here, frozen,
// as the baseline the first speed goals were set against; the program never runs it.
#pragma once
#include <cmath>
#include <cstdint>

#include "engine/gravity_step.h"

namespace selvane::bench {

inline void stepWithLibraryExp(selvane::StarTable& table, const selvane::SimulationParameters& params) {
    const int32_t n = table.starCount;
    const double k = -1 / std::sqrt(params.starSize);
    const double *x = table.posX.data(), *y = table.posY.data(), *z = table.posZ.data(), *m = table.mass.data();
    for (int32_t i = 0; i < n; ++i) {
        double sx = 0, sy = 0, sz = 0;
        for (int32_t j = 0; j < n; ++j) {
            if (j == i) continue;
            const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
            const double r2 = dx * dx + dy * dy + dz * dz;
            if (!(r2 > 0)) continue;
            const double f = (1 - std::exp(k * r2)) * (std::sqrt(r2) * m[j] / r2 / r2);
            sx = sx + f * dx, sy = sy + f * dy, sz = sz + f * dz;
        }
        table.velX[i] = table.velX[i] + sx, table.velY[i] = table.velY[i] + sy, table.velZ[i] = table.velZ[i] + sz;
    }
    selvane::moveStars(table);
}

}  // namespace selvane::bench
