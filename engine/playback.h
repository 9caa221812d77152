#pragma once
#include <cstdint>

namespace selvane {

// The two mappings between a recording of `frames` frames and a position scroll bar of
// range [min, max]: min + (max + 1 - min) * k / F, and (p - min) * F / (max - min + 1).
// Products are formed before the truncating division, in 64 bits so that no count a
// recording can claim overflows; the results are those of 32-bit arithmetic wherever
// that does not overflow. Both need frames >= 1.
int32_t scrollPositionOfFrame(int32_t k, int32_t frames, int32_t min, int32_t max);
int32_t frameAtScrollPosition(int32_t p, int32_t frames, int32_t min, int32_t max);

}  // namespace selvane
