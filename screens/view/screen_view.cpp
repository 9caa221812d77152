#include "screens/view/screen_view.h"

#include <algorithm>

#include "app/program_data.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

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

void paintView(ScreenView& view, HWND window) {
    if (!view.window || !starTable.present) return;
    auto& camera = view.camera;
    camera.updateCentre();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) return;
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, camera.viewRect.left, camera.viewRect.top, camera.viewRect.right, camera.viewRect.bottom);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    const size_t count = std::min({static_cast<size_t>(std::max(starTable.starCount, 0)), starTable.displayX.size(),
                                   starTable.displayY.size(), starTable.displayZ.size()});
    const double* x = starTable.displayX.data();
    const double* y = starTable.displayY.data();
    const double* z = starTable.displayZ.data();
    selvane::DotBox dot;
    for (size_t i = 0; i < count; ++i)
        if (camera.projectStar(x[i], y[i], z[i], dot)) Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
    EndPaint(window, &paint);
}

}  // namespace Quillon::Selvane
