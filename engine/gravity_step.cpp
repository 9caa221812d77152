#include "engine/gravity_step.h"

#include <cmath>

#include "engine/exp.h"

namespace selvane {

void moveStars(StarTable& table) {
    for (int32_t i = 0; i < table.starCount; ++i) {
        table.posX[i] = table.posX[i] + table.velX[i];
        table.displayX[i] = table.posX[i];
        table.posY[i] = table.posY[i] + table.velY[i];
        table.displayY[i] = table.posY[i];
        table.posZ[i] = table.posZ[i] + table.velZ[i];
        table.displayZ[i] = table.posZ[i];
    }
}

void finishStep(const SimulationParameters& params, StepCounter& counter, const StepHooks& hooks) {
    if (hooks.invalidateView) hooks.invalidateView();
    counter.steps += 1;
    // A Recording Speed below 1 records nothing.
    if (params.recordingSpeed >= 1 && counter.steps % params.recordingSpeed == 0 && hooks.recordFrame)
        hooks.recordFrame();
}

bool galaxyToStep(StarTable& table, const SimulationParameters& params, step_kernels::Galaxy& galaxy) {
    if (!table.present || !(params.starSize > 0)) return false;
    const double s = std::sqrt(params.starSize);
    galaxy = {table.posX.data(), table.posY.data(), table.posZ.data(), table.mass.data(), table.velX.data(),
              table.velY.data(), table.velZ.data(), table.starCount, -1 / s};
    return true;
}

void gravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                 const StepHooks& hooks) {
    step_kernels::Galaxy galaxy;
    if (galaxyToStep(table, params, galaxy)) {
        step_kernels::sumRangeScalar(galaxy, 0, galaxy.n);
        moveStars(table);
    }
    finishStep(params, counter, hooks);
}

namespace step_kernels {

// The plain loop: each star's pull summed over every other star j in order.
void sumRangeScalar(const Galaxy& g, int32_t begin, int32_t end) {
    for (int32_t i = begin; i < end; ++i) {
        double sx = 0, sy = 0, sz = 0;
        for (int32_t j = 0; j < g.n; ++j) {
            if (j == i) continue;
            const double dx = g.x[j] - g.x[i], dy = g.y[j] - g.y[i], dz = g.z[j] - g.z[i];
            const double r2 = dx * dx + dy * dy + dz * dz;
            if (!(r2 > 0)) continue;  // coincident stars exert no force
            const double gr = std::sqrt(r2) * g.m[j] / r2 / r2;
            const double f = (1 - exactExp(g.k * r2)) * gr;
            sx = sx + f * dx;
            sy = sy + f * dy;
            sz = sz + f * dz;
        }
        g.vx[i] = g.vx[i] + sx;
        g.vy[i] = g.vy[i] + sy;
        g.vz[i] = g.vz[i] + sz;
    }
}

}  // namespace step_kernels
}  // namespace selvane
