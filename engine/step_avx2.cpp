// Built with AVX2 and FMA: run only where the processor has both.
#include "engine/lanes_avx2.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels {

void sumRangeAvx2(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Avx2Lanes>(g, begin, end); }

unsigned expLanesAvx2(const double* x, double* result) {
    const Avx2Lanes::Real v = Avx2Lanes::load(x);
    Avx2Lanes::store(result, expLanes<Avx2Lanes>(v));
    return Avx2Lanes::bits(expLanesServe<Avx2Lanes>(v));
}

}  // namespace selvane::step_kernels
