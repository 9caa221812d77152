#pragma once
#include <windows.h>

#include "engine/view_camera.h"

namespace Quillon::Selvane {

class EWindow;

// A viewing screen's camera and the window it draws in (none until the screen is built).
struct ScreenView {
    selvane::ViewCamera camera;
    EWindow* window = nullptr;
};

// Binds the view to the screen's window, sends the camera home and asks for a paint.
void initView(ScreenView& view, EWindow* window);
// Marks the view rectangle for repainting without erasing it; nothing without a window.
void invalidateView(ScreenView& view);
// Draws the displayed positions as white dots on black through the camera.
void paintView(ScreenView& view, HWND window);

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
