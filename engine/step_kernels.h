#pragma once
// The velocity sums of the fast step, one function per instruction set, each built for its
// own in a file of its own. Call one only where stepPathAvailable says the processor has it.
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

// Adds to the velocities of stars [begin, end) the plain loop's sums, bit for bit. The first
// is the plain loop itself, the reference the others are tested against.
void sumRangeScalar(const Galaxy& g, int32_t begin, int32_t end);
void sumRangeSse2(const Galaxy& g, int32_t begin, int32_t end);
void sumRangeAvx2(const Galaxy& g, int32_t begin, int32_t end);
void sumRangeAvx512(const Galaxy& g, int32_t begin, int32_t end);

// exactExp of 4 (8) arguments at once, for the lanes whose bits are returned; the others'
// results mean nothing.
unsigned expLanesAvx2(const double* x, double* result);
unsigned expLanesAvx512(const double* x, double* result);

}  // namespace selvane::step_kernels
