// Built for every x86 processor: SSE2 is part of all of them (and of the 32-bit build's flags).
#include "engine/lanes_sse2.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels::sse2 {

void sumRange(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Lanes>(g, begin, end); }

}  // namespace selvane::step_kernels::sse2
