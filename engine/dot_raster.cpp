#include "engine/dot_raster.h"

#include <algorithm>

namespace selvane {

void fillPixels(const PixelBuffer& buffer, uint32_t colour) {
    for (int32_t row = 0; row < buffer.height; ++row) {
        uint32_t* line = buffer.pixels + static_cast<ptrdiff_t>(row) * buffer.stride;
        std::fill(line, line + buffer.width, colour);
    }
}

void drawDot(const PixelBuffer& buffer, const DotBox& box, uint32_t colour) {
    const int64_t across = int64_t{box.right} - box.left;
    const int64_t down = int64_t{box.bottom} - box.top;
    if (across < 1 || across > 2 || down < 1 || down > 2 || (across == 1 && down == 1)) return;
    // Into picture coordinates, clipped to the picture.
    const int64_t left = std::max<int64_t>(int64_t{box.left} - buffer.originX, 0);
    const int64_t top = std::max<int64_t>(int64_t{box.top} - buffer.originY, 0);
    const int64_t right = std::min<int64_t>(int64_t{box.right} - buffer.originX, buffer.width);
    const int64_t bottom = std::min<int64_t>(int64_t{box.bottom} - buffer.originY, buffer.height);
    for (int64_t row = top; row < bottom; ++row)
        for (int64_t column = left; column < right; ++column)
            buffer.pixels[row * buffer.stride + column] = colour;
}

void drawStars(const PixelBuffer& buffer, const ViewCamera& camera, const double* x, const double* y,
               const double* z, size_t count) {
    fillPixels(buffer, kBlackPixel);
    DotBox dot;
    for (size_t i = 0; i < count; ++i)
        if (camera.projectStar(x[i], y[i], z[i], dot)) drawDot(buffer, dot, kWhitePixel);
}

}  // namespace selvane
