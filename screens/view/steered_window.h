#pragma once
#include <cstdint>

#include "engine/whole_steps.h"
#include "screens/state_machine.h"
#include "screens/transitions.h"
#include "screens/view/screen_view.h"
#include "toolkit/forwarding.h"

namespace Quillon::Selvane {

// A viewing window steered by mouse and keys as by its buttons: every drag, notch and key is
// presses of the camera buttons (Space and End those of the run or play button and of ">>"),
// through the screen's gate, so every picture is one the buttons could make.
template <StateMachine& Gate, ScreenView& View, void (*SpaceEntry)(), void (*EndEntry)()>
class SteeredWindow : public ForwardWindow<&gatedEvent<Gate, &quitApplication>, &gatedPaint<Gate, &paintViewOf<View>>> {
public:
    static constexpr int kPixelsPerTurn = 8;

    void onMouseDown(int x, int y) override {
        const auto& r = View.camera.viewRect;
        dragging_ = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        lastX_ = signedWord(x);
        lastY_ = signedWord(y);
        horizontal_.reset();
        vertical_.reset();
    }
    // The stars follow the mouse: a drag to the right turns as "<" does, a drag down as "^".
    void onMouseDrag(int x, int y) override {
        if (!dragging_) return;
        const int toRight = horizontal_.add(signedWord(x) - lastX_);
        const int down = vertical_.add(signedWord(y) - lastY_);
        lastX_ = signedWord(x);
        lastY_ = signedWord(y);
        repeat(toRight, &gatedEvent<Gate, &cameraTurnLeft<View>>, &gatedEvent<Gate, &cameraTurnRight<View>>);
        repeat(down, &gatedEvent<Gate, &cameraTurnAbove<View>>, &gatedEvent<Gate, &cameraTurnBelow<View>>);
    }
    void onMouseUp(int, int) override { dragging_ = false; }
    void onMouseWheel(int delta) override {
        repeat(wheel_.add(delta), &gatedEvent<Gate, &cameraForward<View>>, &gatedEvent<Gate, &cameraBack<View>>);
    }
    // Taken whichever control has the focus; the key's release is taken too, so a focused
    // button never sees Space.
    bool onKey(int virtualKey, bool down) override {
        void (*press)() = entryOfKey(virtualKey);
        if (press && down) press();
        return press != nullptr;
    }

private:
    // Mouse words arrive unsigned: a captured mouse left of the window is 65535, that is -1.
    static int signedWord(int word) { return static_cast<int16_t>(static_cast<uint16_t>(word)); }
    static void repeat(int count, void (*forward)(), void (*backward)()) {
        for (int i = 0; i < count; ++i) forward();
        for (int i = 0; i > count; --i) backward();
    }
    static void (*entryOfKey(int virtualKey))() {
        switch (virtualKey) {
        case VK_LEFT: return &gatedEvent<Gate, &cameraTurnLeft<View>>;
        case VK_RIGHT: return &gatedEvent<Gate, &cameraTurnRight<View>>;
        case VK_UP: return &gatedEvent<Gate, &cameraTurnAbove<View>>;
        case VK_DOWN: return &gatedEvent<Gate, &cameraTurnBelow<View>>;
        case VK_PRIOR: return &gatedEvent<Gate, &cameraForward<View>>;
        case VK_NEXT: return &gatedEvent<Gate, &cameraBack<View>>;
        case VK_HOME: return &gatedEvent<Gate, &cameraHome<View>>;
        case 'X': return &gatedEvent<Gate, &cameraTurnOpposite<View>>;
        case VK_SPACE: return &gatedEvent<Gate, SpaceEntry>;
        case VK_END: return &gatedEvent<Gate, EndEntry>;
        default: return nullptr;
        }
    }

    bool dragging_ = false;
    int lastX_ = 0;
    int lastY_ = 0;
    selvane::WholeSteps horizontal_{kPixelsPerTurn};
    selvane::WholeSteps vertical_{kPixelsPerTurn};
    selvane::WholeSteps wheel_{WHEEL_DELTA};
};

}  // namespace Quillon::Selvane
