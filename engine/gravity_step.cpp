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

void gravityStep(StarTable& table, const SimulationParameters& params, StepCounter& counter,
                 const StepHooks& hooks) {
    const int32_t n = table.starCount;
    // A Size of Star that is not positive has no softening scale; the galaxy stands still.
    if (table.present && params.starSize > 0) {
        const double s = std::sqrt(params.starSize);
        const double k = -1 / s;
        const double* x = table.posX.data();
        const double* y = table.posY.data();
        const double* z = table.posZ.data();
        const double* m = table.mass.data();
        for (int32_t i = 0; i < n; ++i) {
            double sx = 0, sy = 0, sz = 0;
            for (int32_t j = 0; j < n; ++j) {
                if (j == i) continue;
                const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
                const double r2 = dx * dx + dy * dy + dz * dz;
                if (!(r2 > 0)) continue;  // coincident stars exert no force
                const double g = std::sqrt(r2) * m[j] / r2 / r2;
                const double f = (1 - exactExp(k * r2)) * g;
                sx = sx + f * dx;
                sy = sy + f * dy;
                sz = sz + f * dz;
            }
            table.velX[i] = table.velX[i] + sx;
            table.velY[i] = table.velY[i] + sy;
            table.velZ[i] = table.velZ[i] + sz;
        }
        moveStars(table);
    }
    finishStep(params, counter, hooks);
}

}  // namespace selvane
