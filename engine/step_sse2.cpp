#include "engine/lanes_sse2.h"
#include "engine/step_lanes.h"

namespace selvane::step_kernels {

void sumRangeSse2(const Galaxy& g, int32_t begin, int32_t end) { sumRangeLanes<Sse2Lanes>(g, begin, end); }

}  // namespace selvane::step_kernels
