#pragma once
#include <cstddef>
#include <cstdint>

#include "engine/view_camera.h"

namespace selvane {

// A picture of 32-bit pixels (0x00RRGGBB), rows top to bottom, `stride` pixels apart.
// Pixel (0, 0) shows the client point (originX, originY).
struct PixelBuffer {
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t stride = 0;
    int32_t originX = 0;
    int32_t originY = 0;
};

constexpr uint32_t kBlackPixel = 0x000000;
constexpr uint32_t kWhitePixel = 0xFFFFFF;

// Sets every pixel of the picture.
void fillPixels(const PixelBuffer& buffer, uint32_t colour);

// The pixels a one-pixel pen paints when it outlines an ellipse in a box at most 2 x 2:
// the whole box minus its right column and bottom row, nothing for a 1 x 1 or empty
// box. Larger or reversed boxes are never given by the camera and draw nothing. Only
// the part inside the picture is written.
void drawDot(const PixelBuffer& buffer, const DotBox& box, uint32_t colour);

// The view: black, then a white dot for every star the camera sees, in star order.
void drawStars(const PixelBuffer& buffer, const ViewCamera& camera, const double* x, const double* y,
               const double* z, size_t count);

}  // namespace selvane
