// Built with AVX-512F: run only where the processor has it.
#include "engine/lanes_avx512.h"
#include "engine/pair_once.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels::avx512 {

void sumRange(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Lanes>(g, begin, end); }
void pairsOnce(const Galaxy& g, const Sums& sums, int32_t rowBegin, int32_t rowEnd, int32_t end) {
    pairsOnceLanes<Lanes>(g, sums, rowBegin, rowEnd, end);
}
void oneSide(const Galaxy& g, const Sums& sums, int32_t iBegin, int32_t iEnd, int32_t jBegin, int32_t jEnd) {
    oneSideLanes<Lanes>(g, sums, iBegin, iEnd, jBegin, jEnd);
}
unsigned expLanes(const double* x, double* result) { return expLanesInMemory<Lanes>(x, result); }

void divide(const double* a, const double* b, double* q, int steps) { divideInMemory<Lanes>(a, b, q, steps); }

}  // namespace selvane::step_kernels::avx512
