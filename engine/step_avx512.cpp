// Built with AVX-512F: run only where the processor has it.
#include "engine/lanes_avx512.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels {

void sumRangeAvx512(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Avx512Lanes>(g, begin, end); }

unsigned expLanesAvx512(const double* x, double* result) {
    const Avx512Lanes::Real v = Avx512Lanes::load(x);
    Avx512Lanes::store(result, expLanes<Avx512Lanes>(v));
    return Avx512Lanes::bits(expLanesServe<Avx512Lanes>(v));
}

}  // namespace selvane::step_kernels
