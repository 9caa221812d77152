// Built with AVX2 and FMA: run only where the processor has both.
#include "engine/lanes_avx2.h"
#include "engine/energy_lanes.h"
#include "engine/pair_once.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels::avx2 {

void sumRange(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Lanes>(g, begin, end); }
void pairsOnceRow(const Galaxy& g, const Sums& sums, const RowSegment& segment) {
    pairsOnceRowLanes<Lanes>(g, sums, segment);
}
void potentialRows(const PotentialRows& p, int32_t i, int32_t count, double* rows) {
    potentialRowsLanes<Lanes>(p, i, count, rows);
}
unsigned expLanes(const double* x, double* result) { return expLanesInMemory<Lanes>(x, result); }

void divide(const double* a, const double* b, double* q, int steps) { divideInMemory<Lanes>(a, b, q, steps); }

}  // namespace selvane::step_kernels::avx2
