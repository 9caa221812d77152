#include "engine/glow_picture.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/exp.h"

namespace selvane {

namespace {

constexpr int kSide = 2 * GlowPicture::kSpriteRadius + 1;

// The sprite on whole pixels around its centre, (1 - r^2/R^2)^3 inside the radius, summing
// to 1; symmetric, so its centre of light is its middle pixel's.
const std::array<float, kSide * kSide>& spriteWeights() {
    static const std::array<float, kSide * kSide> weights = [] {
        std::array<double, kSide * kSide> raw{};
        double sum = 0;
        const double radius2 = GlowPicture::kSpriteRadius * GlowPicture::kSpriteRadius;
        for (int dy = 0; dy < kSide; ++dy)
            for (int dx = 0; dx < kSide; ++dx) {
                const double x = dx - GlowPicture::kSpriteRadius, y = dy - GlowPicture::kSpriteRadius;
                const double fall = std::max(0.0, 1 - (x * x + y * y) / radius2);
                raw[dy * kSide + dx] = fall * fall * fall;
                sum = sum + raw[dy * kSide + dx];
            }
        std::array<float, kSide * kSide> normalised{};
        for (int k = 0; k < kSide * kSide; ++k) normalised[k] = static_cast<float>(raw[k] / sum);
        return normalised;
    }();
    return weights;
}

// ln x for x > 0 from frexp and the series of atanh: the same bits on every build.
double naturalLog(double x) {
    int exponent = 0;
    const double m = std::frexp(x, &exponent);  // [0.5, 1)
    const double t = (m - 1) / (m + 1);
    const double t2 = t * t;
    double sum = 0;
    for (int k = 41; k >= 1; k -= 2) sum = sum * t2 + 1.0 / k;
    return 2 * t * sum + exponent * 0.69314718055994530942;
}

// sRGB's encoding of a linear value in [0, 1].
double srgb(double linear) {
    if (linear <= 0.0031308) return 12.92 * linear;
    return 1.055 * exactExp(naturalLog(linear) / 2.4) - 0.055;
}

constexpr int kToneSteps = 65536;

// The byte of every tone-mapped value in [0, 1) on a grid of 1/65535.
const std::array<uint8_t, kToneSteps>& encodingTable() {
    static const std::array<uint8_t, kToneSteps> table = [] {
        std::array<uint8_t, kToneSteps> bytes{};
        for (int q = 0; q < kToneSteps; ++q)
            bytes[q] = static_cast<uint8_t>(std::min(255.0, std::floor(srgb(q / 65535.0) * 255 + 0.5)));
        return bytes;
    }();
    return table;
}

}  // namespace

LinearColour glowRamp(double t) {
    if (!(t >= 0)) t = 0;  // NaN too
    if (t > 1) t = 1;
    const LinearColour warm{1.0f, 0.42f, 0.12f}, white{1.0f, 0.9f, 0.78f}, blue{0.5f, 0.68f, 1.0f};
    const LinearColour& from = t < 0.5 ? warm : white;
    const LinearColour& to = t < 0.5 ? white : blue;
    const float s = static_cast<float>(t < 0.5 ? 2 * t : 2 * t - 1);
    return {from.red + (to.red - from.red) * s, from.green + (to.green - from.green) * s,
            from.blue + (to.blue - from.blue) * s};
}

GlowPicture::GlowPicture(int32_t width, int32_t height)
    : width_(width), height_(height), light_(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0.0f) {}

void GlowPicture::clear() { std::fill(light_.begin(), light_.end(), 0.0f); }

namespace {

// Where a star falls between pixel centres, in sixteenths of a pixel each way.
constexpr int kPlaces = 16;
constexpr int kSpan = kSide + 1;  // the sprite shared bilinearly between two whole-pixel places

// The sprite as it lands from each sixteenth: the whole-pixel sprite shared bilinearly between
// the four places around it, so its centre of light is that sixteenth; made once.
const std::vector<float>& placedSprites() {
    static const std::vector<float> sprites = [] {
        std::vector<float> all(static_cast<size_t>(kPlaces * kPlaces * kSpan * kSpan), 0.0f);
        const auto& weights = spriteWeights();
        for (int py = 0; py < kPlaces; ++py)
            for (int px = 0; px < kPlaces; ++px) {
                float* sprite = &all[static_cast<size_t>((py * kPlaces + px) * kSpan * kSpan)];
                const float ax = static_cast<float>(px) / kPlaces, ay = static_cast<float>(py) / kPlaces;
                const float shares[2][2] = {{(1 - ax) * (1 - ay), ax * (1 - ay)}, {(1 - ax) * ay, ax * ay}};
                for (int sy = 0; sy < 2; ++sy)
                    for (int sx = 0; sx < 2; ++sx)
                        for (int dy = 0; dy < kSide; ++dy)
                            for (int dx = 0; dx < kSide; ++dx) {
                                float& w = sprite[(sy + dy) * kSpan + sx + dx];
                                w = w + shares[sy][sx] * weights[dy * kSide + dx];
                            }
            }
        return all;
    }();
    return sprites;
}

}  // namespace

void GlowPicture::addStar(double x, double y, float light, const LinearColour& colour) {
    // Pixel centres are at half pixels: the sprite lands from the sixteenth nearest to
    // (x - 1/2, y - 1/2), so its centre of light is within 1/32 pixel of (x, y).
    const double reach = kSpriteRadius + 2;
    if (!(x > -reach && x < width_ + reach && y > -reach && y < height_ + reach)) return;
    const double gx = std::floor((x - 0.5) * kPlaces + 0.5), gy = std::floor((y - 0.5) * kPlaces + 0.5);
    const int32_t wholeX = static_cast<int32_t>(std::floor(gx / kPlaces)), wholeY = static_cast<int32_t>(std::floor(gy / kPlaces));
    const int placeX = static_cast<int>(gx - wholeX * kPlaces), placeY = static_cast<int>(gy - wholeY * kPlaces);
    const float* sprite = &placedSprites()[static_cast<size_t>((placeY * kPlaces + placeX) * kSpan * kSpan)];
    const float channels[3] = {light * colour.red, light * colour.green, light * colour.blue};
    const int32_t left = wholeX - kSpriteRadius, top = wholeY - kSpriteRadius;
    const int firstX = std::max(0, -left), lastX = std::min(kSpan, width_ - left);
    const int firstY = std::max(0, -top), lastY = std::min(kSpan, height_ - top);
    for (int dy = firstY; dy < lastY; ++dy) {
        float* row = &light_[(static_cast<size_t>(top + dy) * static_cast<size_t>(width_) + (left + firstX)) * 3];
        const float* weights = sprite + dy * kSpan;
        for (int dx = firstX; dx < lastX; ++dx, row += 3) {
            const float w = weights[dx];
            row[0] = row[0] + w * channels[0];
            row[1] = row[1] + w * channels[1];
            row[2] = row[2] + w * channels[2];
        }
    }
}

void GlowPicture::encode(float exposure, std::vector<uint8_t>& rgb) const {
    const auto& table = encodingTable();
    rgb.resize(light_.size());
    for (size_t k = 0; k < light_.size(); ++k) {
        if (light_[k] == 0) {  // most of a sky
            rgb[k] = 0;
            continue;
        }
        const float x = std::max(0.0f, light_[k] * exposure);
        const float toned = x / (1 + x);  // NaN stays NaN and is caught below
        const float q = toned * 65535.0f + 0.5f;
        rgb[k] = q >= 0 && q < kToneSteps ? table[static_cast<size_t>(q)] : (q >= kToneSteps ? 255 : 0);
    }
}

}  // namespace selvane
