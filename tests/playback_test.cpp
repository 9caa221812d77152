#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "engine/playback.h"

namespace selvane {
namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

// The two mappings in plain 64-bit arithmetic; empty where even that overflows.
std::optional<int64_t> widePosition(int64_t k, int64_t f, int64_t min, int64_t max) {
    int64_t product = 0, sum = 0;
    if (__builtin_mul_overflow(max + 1 - min, k, &product) || __builtin_add_overflow(min, product / f, &sum)) return {};
    return sum;
}
std::optional<int64_t> wideFrame(int64_t p, int64_t f, int64_t min, int64_t max) {
    int64_t product = 0;
    if (__builtin_mul_overflow(p - min, f, &product)) return {};
    return product / (max - min + 1);
}
bool fits32(std::optional<int64_t> v) { return v && *v >= kMin32 && *v <= kMax32; }

TEST(Playback, HundredPositionBar) {
    EXPECT_EQ(scrollPositionOfFrame(0, 10, 0, 100), 0);
    EXPECT_EQ(scrollPositionOfFrame(9, 10, 0, 100), 90);
    EXPECT_EQ(frameAtScrollPosition(50, 10, 0, 100), 4);
    EXPECT_EQ(frameAtScrollPosition(100, 10, 0, 100), 9);
    EXPECT_EQ(frameAtScrollPosition(5, 10, 0, 100), 0);
    EXPECT_EQ(frameAtScrollPosition(50, 200, 0, 100), 99);
    for (int32_t f = 1; f <= 1000; ++f) {
        EXPECT_LE(scrollPositionOfFrame(f - 1, f, 0, 100), 100) << f;
        EXPECT_LE(frameAtScrollPosition(100, f, 0, 100), f - 1) << f;
        EXPECT_EQ(frameAtScrollPosition(0, f, 0, 100), 0) << f;
    }
}

TEST(Playback, ExtremeCountsAndRangesMatchWideArithmetic) {
    const int32_t ranges[][2] = {{0, 100}, {kMin32, kMax32}, {kMax32 - 1, kMax32}, {kMin32, kMin32}, {-7, 3}};
    for (int32_t f : {1, 2, 101, kMax32 - 1, kMax32})
        for (const auto& r : ranges) {
            const int32_t min = r[0], max = r[1];
            for (int32_t k : {kMin32, -1, 0, 1, f - 1, kMax32}) {
                const int32_t got = scrollPositionOfFrame(k, f, min, max);
                const auto wide = widePosition(k, f, min, max);
                EXPECT_TRUE(!fits32(wide) || got == *wide) << k << '/' << f << " in " << min << ".." << max;
                EXPECT_TRUE(k < 0 || k >= f || (got >= min && got <= max)) << k << '/' << f;
            }
            for (int32_t p : {kMin32, min, max, kMax32}) {
                const int32_t got = frameAtScrollPosition(p, f, min, max);
                const auto wide = wideFrame(p, f, min, max);
                EXPECT_TRUE(!fits32(wide) || got == *wide) << p << '/' << f << " in " << min << ".." << max;
                EXPECT_TRUE(p < min || p > max || (got >= 0 && got < f)) << p << '/' << f;
            }
        }
}

TEST(Playback, NoFramesGiveTheStartOfTheBar) {
    for (int32_t f : {0, -1, kMin32})
        for (int32_t v : {kMin32, 0, 50, kMax32}) {
            const int32_t position = scrollPositionOfFrame(v, f, 0, 100);
            EXPECT_TRUE(position >= 0 && position <= 100) << v << '/' << f;
            EXPECT_EQ(frameAtScrollPosition(v, f, 0, 100), 0) << v << '/' << f;
        }
}

}  // namespace
}  // namespace selvane
