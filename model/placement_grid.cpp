#include "model/placement_grid.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

namespace selvane {

namespace {

// The three draws of one candidate, in the order x, y, z.
struct Candidate {
    double x, y, z;
};

Candidate drawCandidate(double scale, Random& random) {
    Candidate c;
    c.x = (random.uniformRandom() - 0.5) * scale;
    c.y = (random.uniformRandom() - 0.5) * scale;
    c.z = (random.uniformRandom() - 0.5) * (0.2 * scale);
    return c;
}

// The one acceptance rule: a distance equal to Size of Star is too close.
inline bool tooClose(const Candidate& c, double x, double y, double z, double minDistance2) {
    const double dx = c.x - x;
    const double dy = c.y - y;
    const double dz = c.z - z;
    return minDistance2 >= dx * dx + dy * dy + dz * dz;
}

// Below this the squares of tiny coordinate differences underflow; every reach is at
// least its root, which is still far below any distance a person would type.
constexpr double kSmallestReach2 = 0x1p-900;
// About one cell per star wanted, so a cell holds about one star when all find room; the
// two bounds keep the grid's memory small for any count.
constexpr double kMaxCellsPerAxis = 4096;
constexpr int32_t kCellsForStars = int32_t(1) << 22;

// One axis of the grid. Positions outside the range (or infinite) go to the edge cells;
// cellOf never decreases as the position grows.
struct Axis {
    double low = 0;
    double perCell = 0;  // 1 / cell width
    int32_t cells = 1;

    Axis(double low_, double extent, double width) : low(low_), perCell(1 / width) {
        cells = static_cast<int32_t>(std::min(std::max(std::ceil(extent / width), 1.0), kMaxCellsPerAxis));
    }
    int32_t cellOf(double v) const {
        const double c = std::floor((v - low) * perCell);
        if (!(c > 0)) return 0;
        if (c >= cells - 1) return cells - 1;
        return static_cast<int32_t>(c);
    }
};

// Places stars 0, 1, ... in turn, each at the first of up to `attempts` draws that `isFree`
// accepts (`onPlaced` is then told); returns how many found room before one did not.
template <class IsFree, class OnPlaced>
int32_t placeInTurn(int32_t wanted, double scale, int attempts, Random& random, double* x, double* y, double* z,
                    IsFree isFree, OnPlaced onPlaced) {
    for (int32_t j = 0; j < wanted; ++j) {
        bool placed = false;
        for (int attempt = 0; attempt < attempts && !placed; ++attempt) {
            const Candidate c = drawCandidate(scale, random);
            placed = isFree(c, j);
            if (placed) {
                x[j] = c.x;
                y[j] = c.y;
                z[j] = c.z;
                onPlaced(c, j);
            }
        }
        if (!placed) return j;
    }
    return wanted;
}

}  // namespace

int32_t placeWithPlainTest(int32_t wanted, double scale, double starSize, int attempts, Random& random,
                           double* x, double* y, double* z) {
    const double minDistance2 = starSize * starSize;
    return placeInTurn(
        wanted, scale, attempts, random, x, y, z,
        [&](const Candidate& c, int32_t j) {
            for (int32_t i = 0; i < j; ++i)
                if (tooClose(c, x[i], y[i], z[i], minDistance2)) return false;
            return true;
        },
        [](const Candidate&, int32_t) {});
}

bool gridCanPlace(double scale, double starSize) {
    return std::isfinite(scale) && std::isfinite(starSize * starSize);
}

namespace {

// Where the grid cannot place, the plain test's verdicts follow from the kinds of numbers
// alone, so no pair is compared (200000 stars would take tens of seconds):
// - a NaN square of Size of Star compares false with every distance: every first candidate
//   is free; so with a NaN Scale, whose candidates are NaN and every distance NaN;
// - an infinite Scale draws only infinities (and NaN from a draw of exactly one half), so
//   a distance is NaN where an axis meets infinities of one sign and infinite otherwise: too
//   close only for an infinite square of Size of Star, and only to a star of the opposite
//   sign on all three axes, which the 8 sign patterns of the stars placed answer at once;
// - a finite Scale with an infinite square rejects every candidate once one star stands,
//   which costs no more than the attempts.
int32_t placeByKinds(int32_t wanted, double scale, double starSize, int attempts, Random& random, double* x,
                     double* y, double* z) {
    const double minDistance2 = starSize * starSize;
    const auto nothing = [](const Candidate&, int32_t) {};
    if (std::isnan(minDistance2) || std::isnan(scale) || (std::isinf(scale) && !std::isinf(minDistance2)))
        return placeInTurn(wanted, scale, attempts, random, x, y, z, [](const Candidate&, int32_t) { return true; },
                           nothing);
    if (!std::isinf(scale)) return placeWithPlainTest(wanted, scale, starSize, attempts, random, x, y, z);
    // The sign pattern of a candidate whose coordinates are all infinite; -1 when one is NaN.
    const auto pattern = [](const Candidate& c) {
        if (std::isnan(c.x) || std::isnan(c.y) || std::isnan(c.z)) return -1;
        return int(std::signbit(c.x)) | int(std::signbit(c.y)) << 1 | int(std::signbit(c.z)) << 2;
    };
    bool standing[8] = {};
    return placeInTurn(
        wanted, scale, attempts, random, x, y, z,
        [&](const Candidate& c, int32_t) {
            const int p = pattern(c);
            return p < 0 || !standing[p ^ 7];
        },
        [&](const Candidate& c, int32_t) {
            const int p = pattern(c);
            if (p >= 0) standing[p] = true;
        });
}

}  // namespace

int32_t placeWithGrid(int32_t wanted, double scale, double starSize, int attempts, Random& random,
                      double* x, double* y, double* z) {
    if (wanted <= 0) return placeWithPlainTest(wanted, scale, starSize, attempts, random, x, y, z);
    if (!gridCanPlace(scale, starSize)) return placeByKinds(wanted, scale, starSize, attempts, random, x, y, z);
    const double minDistance2 = starSize * starSize;

    // Where the plain test rejects, the computed d2 is at most minDistance2 (or underflows
    // below kSmallestReach2), so the two positions differ by at most sqrt of that times
    // (1 + 2^-51) along each axis, less than the reach. Rounding and cellOf are monotonic,
    // so such a star's cell lies between the cells of the candidate's coordinates minus and
    // plus the reach. Cells at least a reach wide keep that range within 3 cells an axis.
    const double reach = std::sqrt(std::max(minDistance2, kSmallestReach2)) * (1 + 0x1p-20);
    const double side = std::fabs(scale);
    const double stars = std::min(wanted, kCellsForStars);
    const double width = std::max(reach, side * std::cbrt(0.2 / stars));
    const Axis ax(-side / 2, side, width), ay(-side / 2, side, width), az(-side / 10, 0.2 * side, width);

    std::vector<int32_t> head, next;  // each cell's last placed star, and the star placed before it there
    try {
        head.assign(static_cast<size_t>(ax.cells) * ay.cells * az.cells, -1);
        next.resize(static_cast<size_t>(wanted));
    } catch (const std::bad_alloc&) {
        return placeWithPlainTest(wanted, scale, starSize, attempts, random, x, y, z);
    } catch (const std::length_error&) {
        return placeWithPlainTest(wanted, scale, starSize, attempts, random, x, y, z);
    }
    const size_t rowCells = static_cast<size_t>(ax.cells);
    const size_t layerCells = rowCells * ay.cells;

    return placeInTurn(
        wanted, scale, attempts, random, x, y, z,
        [&](const Candidate& c, int32_t) {
            // Only the cells that the reach around the candidate touches; mostly its own.
            const int32_t x0 = ax.cellOf(c.x - reach), x1 = ax.cellOf(c.x + reach);
            const int32_t y0 = ay.cellOf(c.y - reach), y1 = ay.cellOf(c.y + reach);
            const int32_t z0 = az.cellOf(c.z - reach), z1 = az.cellOf(c.z + reach);
            for (int32_t kz = z0; kz <= z1; ++kz)
                for (int32_t ky = y0; ky <= y1; ++ky) {
                    const size_t row = kz * layerCells + ky * rowCells;
                    for (int32_t kx = x0; kx <= x1; ++kx)
                        for (int32_t i = head[row + kx]; i >= 0; i = next[i])
                            if (tooClose(c, x[i], y[i], z[i], minDistance2)) return false;
                }
            return true;
        },
        [&](const Candidate& c, int32_t j) {
            const size_t cell = az.cellOf(c.z) * layerCells + ay.cellOf(c.y) * rowCells + ax.cellOf(c.x);
            next[j] = head[cell];
            head[cell] = j;
        });
}

}  // namespace selvane
