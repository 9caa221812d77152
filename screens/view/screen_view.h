#pragma once
#include <windows.h>

#include <cstdint>

#include "engine/view_camera.h"

namespace Quillon::Selvane {

class EWindow;

// The picture a paint draws into before one copy to the window: a 32-bit top-down
// bitmap selected into a memory device context, kept between paints. It lives as long
// as the program: releasing it during exit made the program's end unreliable under Wine.
struct ViewCanvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* pixels = nullptr;
    int32_t width = 0;
    int32_t height = 0;

    ViewCanvas() = default;
    ViewCanvas(const ViewCanvas&) = delete;
    ViewCanvas& operator=(const ViewCanvas&) = delete;
    // Makes the bitmap again unless it already has this size; false when the system refuses.
    bool prepare(int32_t newWidth, int32_t newHeight);
    void release();
};

// A viewing screen's camera and the window it draws in (none until the screen is built).
struct ScreenView {
    selvane::ViewCamera camera;
    EWindow* window = nullptr;
    ViewCanvas canvas;
};

// Binds the view to the screen's window, sends the camera home and asks for a paint.
void initView(ScreenView& view, EWindow* window);
// Marks the view rectangle for repainting without erasing it; nothing without a window.
void invalidateView(ScreenView& view);
// Draws the displayed positions as white dots on black through the camera.
void paintView(ScreenView& view, HWND window);
// The view drawn into the canvas and copied to `dc` at the view rectangle in one call;
// false when the canvas cannot be made or copied. The centre must be current.
bool drawView(ScreenView& view, HDC dc);
// The same picture drawn by the system: one Rectangle, then one Ellipse per star.
void drawViewWithGdi(const selvane::ViewCamera& camera, HDC dc);

// The eight camera buttons; each changes the camera, then asks for a paint.
void moveCamera(ScreenView& view, void (selvane::ViewCamera::*operation)());
template <ScreenView& View> void cameraHome() { moveCamera(View, &selvane::ViewCamera::home); }
template <ScreenView& View> void cameraTurnLeft() { moveCamera(View, &selvane::ViewCamera::turnLeft); }
template <ScreenView& View> void cameraTurnRight() { moveCamera(View, &selvane::ViewCamera::turnRight); }
template <ScreenView& View> void cameraTurnAbove() { moveCamera(View, &selvane::ViewCamera::turnAbove); }
template <ScreenView& View> void cameraTurnBelow() { moveCamera(View, &selvane::ViewCamera::turnBelow); }
template <ScreenView& View> void cameraTurnOpposite() { moveCamera(View, &selvane::ViewCamera::turnOpposite); }
template <ScreenView& View> void cameraForward() { moveCamera(View, &selvane::ViewCamera::forward); }
template <ScreenView& View> void cameraBack() { moveCamera(View, &selvane::ViewCamera::back); }

}  // namespace Quillon::Selvane

namespace Quillon::Selvane {
// The paint entry of a screen's window.
template <ScreenView& View> void paintViewOf(HWND window) { paintView(View, window); }
}  // namespace Quillon::Selvane
