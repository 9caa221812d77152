#pragma once
// The velocity sums of the fast step, one kernel per instruction set, each in its own namespace
// and its own file built for that set alone (CMakeLists.txt gives the flags). Call one only
// where instructionSets() says the processor has it.
#include <cstdint>

namespace selvane::step_kernels {

// Below this, 1 - exp(k * r2) is exactly 1 with the program's exp, so f is g.
constexpr double kExpSkipBound = -0x1.2b708872320e1p+5;

struct Galaxy {
    const double* x;
    const double* y;
    const double* z;
    const double* m;
    double* vx;
    double* vy;
    double* vz;
    int32_t n;
    double k;
};

// Adds to the velocities of stars [begin, end) the plain loop's sums, bit for bit.
using SumRange = void (*)(const Galaxy& g, int32_t begin, int32_t end);

// The pulls summed so far, one per star, from +0; the velocities take them at the end.
struct Sums {
    double* x;
    double* y;
    double* z;
};

// Each pair once (pair_once.h), for stars that pair among themselves up to `end`: rows
// [rowBegin, rowEnd), each starting a register's worth of stars after the last, take every
// pull among them and give each later star its side. Rows go in ascending order.
using PairsOnce = void (*)(const Galaxy& g, const Sums& sums, int32_t rowBegin, int32_t rowEnd, int32_t end);
// The pulls of stars [jBegin, jEnd) on stars [iBegin, iEnd), one side only.
using OneSide = void (*)(const Galaxy& g, const Sums& sums, int32_t iBegin, int32_t iEnd, int32_t jBegin, int32_t jEnd);

// The plain loop itself, for every processor: the reference the others are tested against.
void sumRangeScalar(const Galaxy& g, int32_t begin, int32_t end);

namespace sse2 {
void sumRange(const Galaxy& g, int32_t begin, int32_t end);
}

// exactExp of 4 (8) arguments at once, for the lanes whose bits are returned; the others'
// results mean nothing. divide: a / b of 4 (8) lanes with the step's multiply-add division;
// steps 0 is the whole sequence, 1 leaves out the quotient's last correction (the tests' control).
namespace avx2 {
void sumRange(const Galaxy& g, int32_t begin, int32_t end);
void pairsOnce(const Galaxy& g, const Sums& sums, int32_t rowBegin, int32_t rowEnd, int32_t end);
void oneSide(const Galaxy& g, const Sums& sums, int32_t iBegin, int32_t iEnd, int32_t jBegin, int32_t jEnd);
unsigned expLanes(const double* x, double* result);
void divide(const double* a, const double* b, double* q, int steps = 0);
}  // namespace avx2

namespace avx512 {
void sumRange(const Galaxy& g, int32_t begin, int32_t end);
void pairsOnce(const Galaxy& g, const Sums& sums, int32_t rowBegin, int32_t rowEnd, int32_t end);
void oneSide(const Galaxy& g, const Sums& sums, int32_t iBegin, int32_t iEnd, int32_t jBegin, int32_t jEnd);
unsigned expLanes(const double* x, double* result);
void divide(const double* a, const double* b, double* q, int steps = 0);
}  // namespace avx512

}  // namespace selvane::step_kernels
