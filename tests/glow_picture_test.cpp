#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/glow_picture.h"

namespace selvane {
namespace {

struct LightSums {
    double total[3] = {0, 0, 0};
    double centreX = 0, centreY = 0;  // of the red light
};

LightSums sumLight(const GlowPicture& picture) {
    LightSums sums;
    for (int32_t j = 0; j < picture.height(); ++j)
        for (int32_t i = 0; i < picture.width(); ++i) {
            for (int c = 0; c < 3; ++c) sums.total[c] += picture.light(i, j, c);
            sums.centreX += picture.light(i, j, 0) * (i + 0.5);
            sums.centreY += picture.light(i, j, 0) * (j + 0.5);
        }
    sums.centreX /= sums.total[0];
    sums.centreY /= sums.total[0];
    return sums;
}

// A lone star's light lands centred on its place, to 1/32 of a pixel, and sums to
// its light in each channel's share of its colour, wherever it falls between pixel centres.
TEST(GlowPicture, LoneStarIsCentredAndKeepsItsLight) {
    const LinearColour colour{1.0f, 0.5f, 0.25f};
    for (const auto& [x, y] : {std::pair{20.0, 15.0}, {20.5, 15.5}, {21.37, 14.81}, {19.999, 16.02}}) {
        GlowPicture picture(40, 30);
        picture.addStar(x, y, 3.0f, colour);
        const LightSums sums = sumLight(picture);
        EXPECT_NEAR(sums.centreX, x, 1.0 / 32 + 1e-4) << x;
        EXPECT_NEAR(sums.centreY, y, 1.0 / 32 + 1e-4) << y;
        EXPECT_NEAR(sums.total[0], 3.0, 3e-5);
        EXPECT_NEAR(sums.total[1], 1.5, 3e-5);
        EXPECT_NEAR(sums.total[2], 0.75, 3e-5);
    }
}

// Light adds: two stars at one place give twice one star's light at every pixel; a star
// outside the picture, or at no place, adds nothing.
TEST(GlowPicture, LightAddsUpAndStarsOffThePictureDrawNothing) {
    GlowPicture one(16, 16), two(16, 16), none(16, 16);
    one.addStar(8.3, 7.9, 1.0f, LinearColour{});
    two.addStar(8.3, 7.9, 1.0f, LinearColour{});
    two.addStar(8.3, 7.9, 1.0f, LinearColour{});
    for (double place : {-20.0, 40.0, std::nan(""), HUGE_VAL}) none.addStar(place, 8, 1.0f, LinearColour{});
    for (int32_t j = 0; j < 16; ++j)
        for (int32_t i = 0; i < 16; ++i) {
            EXPECT_FLOAT_EQ(two.light(i, j, 1), 2 * one.light(i, j, 1));
            EXPECT_EQ(none.light(i, j, 1), 0.0f);
        }
}

// The tone curve keeps an empty sky black, never darkens more light, and tells dense cores
// apart rather than clipping them to one white.
TEST(GlowPicture, ToneCurveKeepsDenseCoresApart) {
    const float lights[] = {0.5f, 2, 8, 32, 128};
    GlowPicture picture(8 * 5, 8);
    for (int k = 0; k < 5; ++k) picture.addStar(8 * k + 4, 4, lights[k], LinearColour{});
    std::vector<uint8_t> rgb;
    picture.encode(8.0f, rgb);
    const auto peak = [&](int k) { return rgb[(4 * picture.width() + 8 * k + 4) * 3]; };
    EXPECT_EQ(rgb[0], 0);
    for (int k = 1; k < 5; ++k) EXPECT_GT(peak(k), peak(k - 1)) << k;
    EXPECT_LT(peak(4), 255);
}

}  // namespace
}  // namespace selvane
