#include "engine/energy.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>
#include <vector>

namespace selvane {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kThreadedFrom = 256;
constexpr int32_t kRowsPerTask = 16;
// Past r^2 = 800 s exp underflows and erfc is 0 in every library, so the term is 1/r exactly.
constexpr double kFarRatio = 800;

// Row i: m_j times the pair potential over every j after i, summed in order of j. Far pairs
// are most pairs and cost one square root and one division, in a loop the compiler can
// vectorise; the few near ones are then given their whole term.
double rowPotential(const StarTable& table, int32_t i, double s, double sqrtPiOverS, std::vector<double>& terms) {
    const double* x = table.posX.data();
    const double* y = table.posY.data();
    const double* z = table.posZ.data();
    const double* m = table.mass.data();
    const int32_t first = i + 1;
    const int32_t count = table.starCount - first;
    terms.resize(static_cast<size_t>(std::max(count, 0)));
    double* term = terms.data();
    const double farR2 = kFarRatio * s;
    bool anyNear = false;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t j = first + k;
        const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
        const double r2 = dx * dx + dy * dy + dz * dz;
        term[k] = 1 / std::sqrt(r2);
        anyNear = anyNear | !(r2 > farR2);
    }
    if (anyNear) {
        for (int32_t k = 0; k < count; ++k) {
            const int32_t j = first + k;
            const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
            const double r2 = dx * dx + dy * dy + dz * dz;
            // Coincident stars pull nothing, but their potential has the finite limit sqrt(pi/s).
            if (!(r2 > farR2)) term[k] = r2 == 0 ? sqrtPiOverS : pairPotential(r2, s);
        }
    }
    double sum = 0;
    for (int32_t k = 0; k < count; ++k) sum = sum + m[first + k] * term[k];
    return -m[i] * sum;
}

// Fills rows[i] for every i, the threads taking blocks of rows as they become free.
void sumRows(const StarTable& table, double s, int threads, std::vector<double>& rows) {
    const double sqrtPiOverS = std::sqrt(kPi / s);
    std::atomic<int32_t> nextRow{0};
    const auto work = [&] {
        std::vector<double> terms;
        for (;;) {
            const int32_t begin = nextRow.fetch_add(kRowsPerTask);
            if (begin >= table.starCount) return;
            const int32_t end = std::min(table.starCount, begin + kRowsPerTask);
            for (int32_t i = begin; i < end; ++i) rows[i] = rowPotential(table, i, s, sqrtPiOverS, terms);
        }
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads only take longer
        }
    }
    work();
    for (auto& helper : helpers) helper.join();
}

}  // namespace

double pairPotential(double r2, double s) {
    const double r = std::sqrt(r2);
    return -std::expm1(-r2 / s) / r + std::sqrt(kPi / s) * std::erfc(r / std::sqrt(s));
}

GalaxyMeasures measureGalaxy(const StarTable& table, const SimulationParameters& params, int threads) {
    GalaxyMeasures g;
    const int32_t n = table.present ? table.starCount : 0;
    for (int32_t i = 0; i < n; ++i) {
        const double m = table.mass[i];
        const double x = table.posX[i], y = table.posY[i], z = table.posZ[i];
        const double vx = table.velX[i], vy = table.velY[i], vz = table.velZ[i];
        g.kinetic = g.kinetic + m * (vx * vx + vy * vy + vz * vz) / 2;
        g.momentum[0] = g.momentum[0] + m * vx;
        g.momentum[1] = g.momentum[1] + m * vy;
        g.momentum[2] = g.momentum[2] + m * vz;
        g.angularMomentum[0] = g.angularMomentum[0] + m * (y * vz - z * vy);
        g.angularMomentum[1] = g.angularMomentum[1] + m * (z * vx - x * vz);
        g.angularMomentum[2] = g.angularMomentum[2] + m * (x * vy - y * vx);
    }
    if (n > 1 && params.starSize > 0) {
        if (threads <= 0) threads = n < kThreadedFrom ? 1 : static_cast<int>(std::thread::hardware_concurrency());
        threads = std::clamp(threads, 1, std::max(1, n / kRowsPerTask));
        std::vector<double> rows(static_cast<size_t>(n));
        sumRows(table, std::sqrt(params.starSize), threads, rows);
        for (double row : rows) g.potential = g.potential + row;  // in row order, whoever summed them
    }
    g.total = g.kinetic + g.potential;
    return g;
}

}  // namespace selvane
