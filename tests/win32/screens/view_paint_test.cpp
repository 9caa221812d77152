#include <cstdint>
#include <random>
#include <vector>

#include "model/compose.h"
#include "screens/symulator/symulator_screen.h"
#include "screens/view/screen_view.h"
#include "tests/win32/screens/screen_fixture.h"

namespace Quillon::Selvane::Testing {
namespace {

constexpr uint32_t kUntouched = 0x00123456;

// A 32-bit top-down bitmap in a memory device context, first filled with kUntouched.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        pixels_ = static_cast<uint32_t*>(bits);
        std::fill(pixels_, pixels_ + width * height, kUntouched);
    }
    ~Surface() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc() const { return dc_; }
    uint32_t at(int x, int y) const {
        GdiFlush();
        return pixels_[y * width_ + x] & 0xFFFFFF;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    uint32_t* pixels_;
};

struct Comparison {
    int differing = 0;
    int white = 0;
    int firstX = -1, firstY = -1;
};

Comparison compare(const Surface& seen, const Surface& expected) {
    Comparison result;
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x) {
            const uint32_t pixel = seen.at(x, y);
            result.white += pixel == 0xFFFFFF;
            if (pixel != expected.at(x, y) && result.differing++ == 0) {
                result.firstX = x;
                result.firstY = y;
            }
        }
    return result;
}

// The picture of the canvas and the picture of the system's own calls, on surfaces a
// little larger than the view, so a pixel written past the view shows too.
Comparison paintBothWays(ScreenView& view) {
    view.camera.updateCentre();
    const auto& r = view.camera.viewRect;
    Surface canvas(r.right + 7, r.bottom + 5), system(r.right + 7, r.bottom + 5);
    EXPECT_TRUE(drawView(view, canvas.dc()));
    drawViewWithGdi(view.camera, system.dc());
    EXPECT_EQ(system.at(r.right, r.bottom - 1), kUntouched);
    return compare(canvas, system);
}

void addStar(double x, double y, double z) {
    starTable.displayX.push_back(x);
    starTable.displayY.push_back(y);
    starTable.displayZ.push_back(z);
    starTable.starCount = static_cast<int32_t>(starTable.displayX.size());
    starTable.present = true;
}

// Stars all over the view, clusters whose dots overlap, and the four edges of the view,
// where the dots are cut to one pixel's width or height.
void addTestStars(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> spread(-3000, 3000), jitter(-3, 3);
    for (int i = 0; i < 3000; ++i) addStar(spread(random), spread(random), spread(random));
    for (int i = 0; i < 300; ++i) {
        const double x = spread(random) / 10, y = spread(random) / 10;
        for (int k = 0; k < 4; ++k) addStar(x + jitter(random), y + jitter(random), jitter(random));
    }
    for (double distance : {1e6, 1e3, 1e2})
        for (double along = -900; along <= 900; along += 37) {
            addStar(-distance, along, -999);
            addStar(distance, along, -999);
            addStar(along, distance, -999);
            addStar(along, -distance, -999);
        }
    addStar(0, 0, -1000);  // at the viewpoint
    addStar(1e308, -1e308, 1e308);
}

using ViewPaintTest = ScreenTest;

TEST_F(ViewPaintTest, TheCanvasShowsTheSamePixelsAsTheSystemsEllipses) {
    addTestStars(7);
    ScreenView view;
    view.camera.reset();
    const struct { const char* name; void (selvane::ViewCamera::*move)(); int times; } cameras[] = {
        {"home", &selvane::ViewCamera::home, 1},
        {"turned left", &selvane::ViewCamera::turnLeft, 3},
        {"turned above", &selvane::ViewCamera::turnAbove, 5},
        {"forward", &selvane::ViewCamera::forward, 30},
        {"opposite", &selvane::ViewCamera::turnOpposite, 1},
    };
    for (const auto& camera : cameras) {
        SCOPED_TRACE(camera.name);
        for (int i = 0; i < camera.times; ++i) (view.camera.*camera.move)();
        const Comparison result = paintBothWays(view);
        EXPECT_EQ(result.differing, 0) << "first at " << result.firstX << "," << result.firstY;
        EXPECT_GT(result.white, 1000);
    }

    // A view of another size gets a canvas of its size.
    view.camera.home();
    for (const selvane::ViewRect rect : {selvane::ViewRect{0, 0, 201, 150}, selvane::ViewRect{0, 0, 470, 376}}) {
        view.camera.viewRect = rect;
        const Comparison result = paintBothWays(view);
        EXPECT_EQ(view.canvas.width, rect.right);
        EXPECT_EQ(view.canvas.height, rect.bottom);
        EXPECT_EQ(result.differing, 0) << rect.right << " first at " << result.firstX << "," << result.firstY;
        EXPECT_GT(result.white, 1000);
    }
    view.canvas.release();
}

TEST_F(ViewPaintTest, TheWindowShowsThePictureOfTheSystemsEllipses) {
    selvane::FieldTexts fields;
    fields.numberOfStar = "2000";
    ASSERT_TRUE(selvane::composeGalaxy(fields, 99, randomGenerator, starTable, simulationParameters));
    addTestStars(11);
    openSymulatorScreen();
    HWND window = viewing();
    ASSERT_TRUE(window);
    click(window, kTurnLeft);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    const auto& camera = Symulator::view.camera;
    Surface shown(camera.viewRect.right, camera.viewRect.bottom), system(camera.viewRect.right, camera.viewRect.bottom);
    HDC windowDc = GetDC(window);
    BitBlt(shown.dc(), 0, 0, shown.width(), shown.height(), windowDc, 0, 0, SRCCOPY);
    ReleaseDC(window, windowDc);
    drawViewWithGdi(camera, system.dc());
    const Comparison result = compare(shown, system);
    EXPECT_EQ(result.differing, 0) << "first at " << result.firstX << "," << result.firstY;
    EXPECT_GT(result.white, 1000);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
