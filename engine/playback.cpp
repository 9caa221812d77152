#include "engine/playback.h"

#include <algorithm>
#include <limits>

namespace selvane {

namespace {

int32_t clampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t scrollPositionOfFrame(int32_t k, int32_t frames, int32_t min, int32_t max) {
    if (frames < 1) return min;
    const int64_t span = int64_t{max} + 1 - min;
    // The quotient is bounded before min is added, so the sum cannot overflow; any
    // quotient beyond the bound gives a result beyond 32 bits either way.
    constexpr int64_t kBound = int64_t{1} << 40;
    return clampToInt32(min + std::clamp<int64_t>(span * k / frames, -kBound, kBound));
}

int32_t frameAtScrollPosition(int32_t p, int32_t frames, int32_t min, int32_t max) {
    if (frames < 1) return 0;
    const int64_t span = int64_t{max} - min + 1;
    if (span < 1) return 0;
    return clampToInt32((int64_t{p} - min) * frames / span);
}

}  // namespace selvane
