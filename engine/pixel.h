#pragma once
#include <cmath>
#include <cstdint>

namespace selvane {

// Drawing calls take coordinates within +-2^27; beyond that, or not a number, there is no pixel.
constexpr double kPixelLimit = 134217727.0;

// Truncates toward zero to a whole pixel; false when the value has no pixel, so a
// coordinate that is not finite or is out of range is never converted.
inline bool toPixel(double value, int32_t& pixel) {
    if (!(value >= -kPixelLimit && value <= kPixelLimit)) return false;
    pixel = static_cast<int32_t>(value);
    return true;
}

}  // namespace selvane
