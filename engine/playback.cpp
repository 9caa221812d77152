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
    return clampToInt32(min + span * k / frames);
}

int32_t frameAtScrollPosition(int32_t p, int32_t frames, int32_t min, int32_t max) {
    if (frames < 1) return 0;
    const int64_t span = int64_t{max} - min + 1;
    if (span < 1) return 0;
    return clampToInt32((int64_t{p} - min) * frames / span);
}

}  // namespace selvane
