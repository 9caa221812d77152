#include "engine/energy.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <vector>

#include "engine/instruction_sets.h"
#include "engine/step_kernels.h"
#include "engine/worker_pool.h"

namespace selvane {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int32_t kRowsPerTask = 16;
// Past r^2 = 50 s, exp(-r^2/s) < 2e-22, far under half the spacing of doubles at 1: then
// -expm1 gives 1 and the erfc part cannot move 1/r, so the whole term is 1/r to the bit.
constexpr double kFarRatio = 50;

// The whole term of a pair r^2 apart, with the square roots of s that every pair shares.
double nearTerm(double r2, double s, double sqrtS, double sqrtPiOverS) {
    const double r = std::sqrt(r2);
    return -std::expm1(-r2 / s) / r + sqrtPiOverS * std::erfc(r / sqrtS);
}

struct RowScratch {
    std::vector<double> terms, distances2;
};

// Row i: m_j times the pair potential over every j after i, summed in order of j. Far pairs
// are most pairs and cost one square root and one division, in a loop the compiler can
// vectorise; the few near ones are then given their whole term.
double rowPotential(const StarTable& table, int32_t i, double s, RowScratch& scratch) {
    const double* x = table.posX.data();
    const double* y = table.posY.data();
    const double* z = table.posZ.data();
    const double* m = table.mass.data();
    const int32_t first = i + 1;
    const int32_t count = table.starCount - first;
    scratch.terms.resize(static_cast<size_t>(std::max(count, 0)));
    scratch.distances2.resize(scratch.terms.size());
    double* term = scratch.terms.data();
    double* distance2 = scratch.distances2.data();
    const double farR2 = kFarRatio * s;
    bool anyNear = false;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t j = first + k;
        const double dx = x[j] - x[i], dy = y[j] - y[i], dz = z[j] - z[i];
        const double r2 = dx * dx + dy * dy + dz * dz;
        distance2[k] = r2;
        term[k] = 1 / std::sqrt(r2);
        anyNear = anyNear | !(r2 > farR2);
    }
    if (anyNear) {
        const double sqrtS = std::sqrt(s), sqrtPiOverS = std::sqrt(kPi / s);
        for (int32_t k = 0; k < count; ++k) {
            const double r2 = distance2[k];
            // Coincident stars pull nothing, but their potential has the finite limit sqrt(pi/s).
            if (!(r2 > farR2)) term[k] = r2 == 0 ? sqrtPiOverS : nearTerm(r2, s, sqrtS, sqrtPiOverS);
        }
    }
    double sum = 0;
    for (int32_t k = 0; k < count; ++k) sum = sum + m[first + k] * term[k];
    return -m[i] * sum;
}

double nearTermOf(double r2, const step_kernels::PotentialRows& p) {
    return r2 == 0 ? p.sqrtPiOverS : nearTerm(r2, p.s, p.sqrtS, p.sqrtPiOverS);
}

// Several rows at once in lanes, with the best instruction set at or below `path` that the
// processor has; none where it has neither AVX2 with FMA nor AVX-512.
struct RowKernel {
    step_kernels::RowsPotential rows = nullptr;
    int32_t lanes = 1;
};
RowKernel rowKernelFor(StepPath path) {
    const InstructionSets& has = instructionSets();
    if (path == StepPath::Avx512 && has.avx512) return {step_kernels::avx512::potentialRows, 8};
    if (path >= StepPath::Avx2 && has.avx2Fma) return {step_kernels::avx2::potentialRows, 4};
    return {};
}

// Fills rows[i] for every i, the threads taking blocks of rows as they become free.
void sumRows(const StarTable& table, double s, int threads, StepPath path, std::vector<double>& rows) {
    const RowKernel kernel = rowKernelFor(path);
    const step_kernels::PotentialRows lanes{table.posX.data(), table.posY.data(), table.posZ.data(),
                                            table.mass.data(), table.starCount, kFarRatio * s,
                                            s, std::sqrt(s), std::sqrt(kPi / s), nearTermOf};
    std::atomic<int32_t> nextRow{0};
    const auto work = [&] {
        RowScratch scratch;
        for (;;) {
            const int32_t begin = nextRow.fetch_add(kRowsPerTask);
            if (begin >= table.starCount) return;
            const int32_t end = std::min(table.starCount, begin + kRowsPerTask);
            if (kernel.rows) {
                for (int32_t i = begin; i < end; i += kernel.lanes)
                    kernel.rows(lanes, i, std::min(kernel.lanes, end - i), rows.data() + i);
            } else {
                for (int32_t i = begin; i < end; ++i) rows[i] = rowPotential(table, i, s, scratch);
            }
        }
    };
    // The step's workers, each taking blocks of rows until none are left.
    runShares(threads, [&work](int) { work(); });
}

}  // namespace

double pairPotential(double r2, double s) { return nearTerm(r2, s, std::sqrt(s), std::sqrt(kPi / s)); }

GalaxyMeasures measureGalaxy(const StarTable& table, const SimulationParameters& params, int threads, StepPath path) {
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
        threads = std::clamp(sharesWorthRunning(n, threads), 1, std::max(1, n / kRowsPerTask));
        std::vector<double> rows(static_cast<size_t>(n));
        sumRows(table, std::sqrt(params.starSize), threads, path, rows);
        for (double row : rows) g.potential = g.potential + row;  // in row order, whoever summed them
    }
    g.total = g.kinetic + g.potential;
    return g;
}

}  // namespace selvane
