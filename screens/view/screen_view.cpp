#include "screens/view/screen_view.h"

#include <algorithm>

#include "engine/dot_raster.h"
#include "screens/program_data.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

namespace {

// Stars with all three displayed coordinates.
size_t starsShown() {
    return std::min({static_cast<size_t>(std::max(starTable.starCount, 0)), starTable.displayX.size(),
                     starTable.displayY.size(), starTable.displayZ.size()});
}

}  // namespace

bool ViewCanvas::prepare(int32_t newWidth, int32_t newHeight) {
    if (pixels && width == newWidth && height == newHeight) return true;
    release();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = newWidth;
    info.bmiHeader.biHeight = -newHeight;  // rows top to bottom
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dc = CreateCompatibleDC(nullptr);
    bitmap = dc ? CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!bitmap || !bits) {
        release();
        return false;
    }
    previous = SelectObject(dc, bitmap);
    pixels = static_cast<uint32_t*>(bits);
    width = newWidth;
    height = newHeight;
    return true;
}

void ViewCanvas::release() {
    if (dc && previous) SelectObject(dc, previous);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    dc = nullptr;
    bitmap = nullptr;
    previous = nullptr;
    pixels = nullptr;
    width = 0;
    height = 0;
}

void initView(ScreenView& view, EWindow* window) {
    view.window = window;
    view.camera.reset();
    invalidateView(view);
}

void invalidateView(ScreenView& view) {
    if (!view.window || !view.window->handle) return;
    const auto& r = view.camera.viewRect;
    const RECT area{r.left, r.top, r.right, r.bottom};
    InvalidateRect(view.window->handle, &area, FALSE);
}

void moveCamera(ScreenView& view, void (selvane::ViewCamera::*operation)()) {
    (view.camera.*operation)();
    invalidateView(view);
}

bool drawView(ScreenView& view, HDC dc) {
    const auto& r = view.camera.viewRect;
    const int64_t width = int64_t{r.right} - r.left;
    const int64_t height = int64_t{r.bottom} - r.top;
    if (width <= 0 || height <= 0) return true;  // an empty rectangle shows nothing
    if (width > INT32_MAX || height > INT32_MAX) return false;
    auto& canvas = view.canvas;
    if (!canvas.prepare(static_cast<int32_t>(width), static_cast<int32_t>(height))) return false;
    GdiFlush();  // the system may still hold the bitmap from the last copy
    selvane::PixelBuffer buffer;
    buffer.pixels = canvas.pixels;
    buffer.width = canvas.width;
    buffer.height = canvas.height;
    buffer.stride = canvas.width;
    buffer.originX = r.left;
    buffer.originY = r.top;
    selvane::drawStars(buffer, view.camera, starTable.displayX.data(), starTable.displayY.data(),
                       starTable.displayZ.data(), starsShown());
    return BitBlt(dc, r.left, r.top, canvas.width, canvas.height, canvas.dc, 0, 0, SRCCOPY) != FALSE;
}

void drawViewWithGdi(const selvane::ViewCamera& camera, HDC dc) {
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, camera.viewRect.left, camera.viewRect.top, camera.viewRect.right, camera.viewRect.bottom);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    const size_t count = starsShown();
    const double* x = starTable.displayX.data();
    const double* y = starTable.displayY.data();
    const double* z = starTable.displayZ.data();
    selvane::DotBox dot;
    for (size_t i = 0; i < count; ++i)
        if (camera.projectStar(x[i], y[i], z[i], dot)) Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
}

void paintView(ScreenView& view, HWND window) {
    if (!view.window || !starTable.present) return;
    view.camera.updateCentre();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return;
    // Without memory for the canvas the system still draws the picture, star by star.
    if (!drawView(view, dc)) drawViewWithGdi(view.camera, dc);
    EndPaint(window, &paint);
}

}  // namespace Quillon::Selvane
