#pragma once
// The glow look: every star a small round sprite whose light adds up with its neighbours' in
// linear light, then a tone curve and sRGB. Only IEEE arithmetic in a fixed order and this
// program's own exp, so a picture is the same bytes on every build.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace selvane {

// Linear light of red, green and blue.
struct LinearColour {
    float red = 1, green = 1, blue = 1;
};

// From warm (0, slow or light) through white to blue-white (1, fast or heavy); t is clamped.
LinearColour glowRamp(double t);

class GlowPicture {
public:
    // The sprite's radius in pixels: its light falls to nothing there.
    static constexpr int kSpriteRadius = 3;

    GlowPicture(int32_t width, int32_t height);

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    void clear();
    // Adds `light` spread over the sprite centred at (x, y) in pixel units (pixel (i, j) covers
    // [i, i+1) x [j, j+1)); the light landing in the picture sums to `light` times the part of
    // the sprite inside it, and its centre of light is within 1/32 pixel of (x, y). Non-finite
    // places draw nothing.
    void addStar(double x, double y, float light, const LinearColour& colour);
    // The light of one channel (0 red, 1 green, 2 blue) at pixel (i, j).
    float light(int32_t i, int32_t j, int channel) const {
        return light_[(static_cast<size_t>(j) * static_cast<size_t>(width_) + static_cast<size_t>(i)) * 3 + channel];
    }
    // Rows of 8-bit sRGB triples: each channel's light times `exposure`, through the tone
    // curve x / (1 + x), which never reaches full white, so dense cores keep their shape.
    void encode(float exposure, std::vector<uint8_t>& rgb) const;

private:
    int32_t width_, height_;
    std::vector<float> light_;
};

}  // namespace selvane
