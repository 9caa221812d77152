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

// Each pair once (pair_once.h) goes by rows of a register's worth of stars, row r the stars
// from r times the register's lanes: a row takes the pulls among its own stars, then streams
// over every later star j, giving both stars of each pair their pull. Each star must meet the
// others in ascending order, so rows go in order over any star j, and a row's stream over a
// range of stars j continues its stream over the range before.
struct RowSegment {
    int32_t row;
    int32_t jBegin, jEnd;  // the stars j of this part of the stream
    bool ownPairs;         // the row's pulls among its own stars first
    bool massesModerate;   // every |m| in [2^-100, 2^100] (see pull in pair_once.h)
};
using PairsOnceRow = void (*)(const Galaxy& g, const Sums& sums, const RowSegment& segment);

// The potential energy's rows (energy.cpp): row i is -m_i times the sum over j > i, in order,
// of m_j times the pair's term, 1 / sqrt(r2) past farR2 and wholeTerm(r2) otherwise.
struct PotentialRows {
    const double* x;
    const double* y;
    const double* z;
    const double* m;
    int32_t n;
    double farR2;
    double s, sqrtS, sqrtPiOverS;  // what wholeTerm needs
    double (*wholeTerm)(double r2, const PotentialRows& p);
};
// Rows [i, i + count), count at most a register's lanes, into rows[0 .. count).
using RowsPotential = void (*)(const PotentialRows& p, int32_t i, int32_t count, double* rows);

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
void pairsOnceRow(const Galaxy& g, const Sums& sums, const RowSegment& segment);
void potentialRows(const PotentialRows& p, int32_t i, int32_t count, double* rows);
unsigned expLanes(const double* x, double* result);
void divide(const double* a, const double* b, double* q, int steps = 0);
}  // namespace avx2

namespace avx512 {
void sumRange(const Galaxy& g, int32_t begin, int32_t end);
void pairsOnceRow(const Galaxy& g, const Sums& sums, const RowSegment& segment);
void potentialRows(const PotentialRows& p, int32_t i, int32_t count, double* rows);
unsigned expLanes(const double* x, double* result);
void divide(const double* a, const double* b, double* q, int steps = 0);
}  // namespace avx512

}  // namespace selvane::step_kernels
