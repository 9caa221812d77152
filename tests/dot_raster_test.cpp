#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "engine/dot_raster.h"

namespace selvane {
namespace {

constexpr uint32_t kMarker = 0x123456;

// A picture of width x height inside rows of stride pixels; the rest of each row is a
// guard that must never be written.
struct Picture {
    std::vector<uint32_t> storage;
    PixelBuffer buffer;
    Picture(int32_t width, int32_t height, int32_t stride) : storage(static_cast<size_t>(stride) * height + stride, kMarker) {
        buffer.pixels = storage.data();
        buffer.width = width;
        buffer.height = height;
        buffer.stride = stride;
    }
    // Picture pixels of the given colour, as (column, row).
    std::set<std::pair<int, int>> having(uint32_t colour) const {
        std::set<std::pair<int, int>> found;
        for (int row = 0; row < buffer.height; ++row)
            for (int column = 0; column < buffer.width; ++column)
                if (storage[row * buffer.stride + column] == colour) found.insert({column, row});
        return found;
    }
    size_t count(uint32_t colour) const {
        size_t n = 0;
        for (int row = 0; row < buffer.height; ++row)
            for (int column = 0; column < buffer.width; ++column) n += storage[row * buffer.stride + column] == colour;
        return n;
    }
    bool guardIntact() const {
        for (size_t i = 0; i < storage.size(); ++i)
            if (i / buffer.stride >= static_cast<size_t>(buffer.height) || i % buffer.stride >= static_cast<size_t>(buffer.width))
                if (storage[i] != kMarker) return false;
        return true;
    }
};

using Pixels = std::set<std::pair<int, int>>;

Pixels dotPixels(const DotBox& box, int32_t originX = 0, int32_t originY = 0) {
    Picture picture(8, 6, 11);
    picture.buffer.originX = originX;
    picture.buffer.originY = originY;
    drawDot(picture.buffer, box, kWhitePixel);
    EXPECT_TRUE(picture.guardIntact());
    return picture.having(kWhitePixel);
}

TEST(DotRaster, ADotIsItsBoxWithoutTheRightColumnAndBottomRowAndStaysInsideThePicture) {
    EXPECT_EQ(dotPixels({3, 2, 5, 4}), (Pixels{{3, 2}, {4, 2}, {3, 3}, {4, 3}}));
    EXPECT_EQ(dotPixels({3, 2, 4, 4}), (Pixels{{3, 2}, {3, 3}}));  // 1 x 2 at the view's left edge
    EXPECT_EQ(dotPixels({3, 2, 5, 3}), (Pixels{{3, 2}, {4, 2}}));
    // A pen line of no length paints nothing; the camera never gives wider or reversed boxes.
    for (const DotBox box : {DotBox{3, 2, 4, 3}, DotBox{3, 2, 3, 4}, DotBox{3, 2, 5, 2}, DotBox{3, 2, 6, 4},
                             DotBox{3, 2, 5, 5}, DotBox{5, 4, 3, 2}, DotBox{INT32_MIN, 0, INT32_MAX, 2}})
        EXPECT_TRUE(dotPixels(box).empty()) << box.left << "," << box.top << "," << box.right << "," << box.bottom;

    // Cut at every edge of the picture, never written past it.
    EXPECT_EQ(dotPixels({-1, -1, 1, 1}), (Pixels{{0, 0}}));
    EXPECT_EQ(dotPixels({7, 5, 9, 7}), (Pixels{{7, 5}}));
    EXPECT_EQ(dotPixels({6, 4, 8, 6}), (Pixels{{6, 4}, {7, 4}, {6, 5}, {7, 5}}));
    EXPECT_TRUE(dotPixels({8, 0, 10, 2}).empty());
    EXPECT_TRUE(dotPixels({0, 6, 2, 8}).empty());
    EXPECT_TRUE(dotPixels({-2, 0, 0, 2}).empty());
    EXPECT_TRUE(dotPixels({134217726, 134217726, 134217728, 134217728}).empty());
    // Client coordinates: the picture's first pixel shows the client point (10, 20).
    EXPECT_EQ(dotPixels({10, 21, 12, 23}, 10, 20), (Pixels{{0, 1}, {1, 1}, {0, 2}, {1, 2}}));
    EXPECT_EQ(dotPixels({9, 19, 11, 21}, 10, 20), (Pixels{{0, 0}}));
}

TEST(DotRaster, StarsAreWhiteDotsOnBlackWhereTheCameraSeesThem) {
    ViewCamera camera;
    camera.reset();
    camera.updateCentre();
    Picture picture(470, 376, 473);
    // Origin, (1000, 0, 0), one behind the viewpoint, one overlapping the origin's dot,
    // and the far left, right, top and bottom of the view.
    const std::vector<double> x = {0, 1000, 0, 5, -1e6, 1e6, 0, 0};
    const std::vector<double> y = {0, 0, 0, 0, 0, 0, 1e6, -1e6};
    const std::vector<double> z = {0, 0, -1001, 0, -999, -999, -999, -999};
    drawStars(picture.buffer, camera, x.data(), y.data(), z.data(), x.size());
    EXPECT_TRUE(picture.guardIntact());
    const Pixels expected = {{234, 187}, {235, 187}, {234, 188}, {235, 188}, {236, 187}, {236, 188},
                             {400, 187}, {401, 187}, {400, 188}, {401, 188},
                             {0, 187},   {0, 188},   {468, 187}, {469, 187}, {468, 188}, {469, 188},
                             {234, 0},   {235, 0},   {234, 374}, {235, 374}, {234, 375}, {235, 375}};
    EXPECT_EQ(picture.having(kWhitePixel), expected);
    EXPECT_EQ(picture.count(kBlackPixel), 470u * 376 - expected.size());

    // A second paint starts from black again; no stars leaves the view all black.
    drawStars(picture.buffer, camera, x.data(), y.data(), z.data(), 0);
    EXPECT_EQ(picture.count(kBlackPixel), 470u * 376);
}

}  // namespace
}  // namespace selvane
