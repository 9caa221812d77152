#pragma once
// The bytes of a recording ("Recorder.wrk"): an 8-byte header of two little-endian int32,
// the star count n then the frame count, followed per frame by n displayX, n displayY and
// n displayZ doubles.
#include <cstdint>
#include <cstring>

namespace selvane::recording {

constexpr int64_t kHeaderBytes = 8;
constexpr int64_t kStarCountOffset = 0;
constexpr int64_t kFrameCountOffset = 4;
constexpr int64_t kBytesPerStar = 3 * static_cast<int64_t>(sizeof(double));

// Where frame k starts; the caller keeps k * frameBytes(n) within int64_t.
constexpr int64_t frameBytes(int64_t stars) { return kBytesPerStar * stars; }
constexpr int64_t frameOffset(int64_t stars, int64_t k) { return kHeaderBytes + frameBytes(stars) * k; }

inline int32_t getInt32(const unsigned char* bytes) {
    const uint32_t bits = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                          uint32_t(bytes[3]) << 24;
    int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void putInt32(unsigned char* bytes, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

}  // namespace selvane::recording
