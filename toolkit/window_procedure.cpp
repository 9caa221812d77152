#include "toolkit/window_procedure.h"

#include "toolkit/e_window.h"

namespace Quillon::Selvane {

int dragFlag = 0;

namespace {

// Message words are unsigned: a captured mouse left of the window reports 65535, not -1.
int lowWord(uintptr_t value) { return static_cast<int>(value & 0xFFFFu); }
int highWord(uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }

// The child a command or scroll message names, or null when no child has its identifier.
EWindow* scrollTarget(EWindow* object, LPARAM control) {
    const auto identifier = GetWindowLongPtrA(reinterpret_cast<HWND>(control), GWLP_ID);
    if (identifier < 1 || identifier > 0x7FFFFFFF) return nullptr;
    return object->childWithId(static_cast<int>(identifier));
}

LRESULT routeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE || message == WM_QUIT) return 0;
    // Until the creating code has stored the object, the window is the system's alone.
    auto* object = reinterpret_cast<EWindow*>(GetWindowLongPtrA(window, 0));
    if (!object) return DefWindowProcA(window, message, wParam, lParam);

    const auto w = static_cast<uintptr_t>(wParam);
    const auto l = static_cast<uintptr_t>(lParam);
    switch (message) {
    case WM_DESTROY: object->onDestroy(); return 0;
    case WM_SIZE: object->onSize(); return 0;
    case WM_PAINT:
        object->onPaint(window);
        return DefWindowProcA(window, message, wParam, lParam);  // validates what onPaint left
    case WM_COMMAND: {
        EWindow* child = object->childWithId(lowWord(w));
        if (child && child->onCommand(highWord(w))) return 0;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_HSCROLL:
    case WM_VSCROLL: {
        EWindow* target = lParam ? scrollTarget(object, lParam) : object;
        if (!target) return DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_HSCROLL)
            target->onHScroll(lowWord(w), highWord(w));
        else
            target->onVScroll(lowWord(w), highWord(w));
        return 0;
    }
    case WM_INITMENU: return 0;
    case WM_MOUSEMOVE:
        if (dragFlag)
            object->onMouseDrag(lowWord(l), highWord(l));
        else
            object->onMouseMove(lowWord(l), highWord(l));
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        dragFlag = 1;
        object->onMouseDown(lowWord(l), highWord(l));
        return 0;
    case WM_MOUSEWHEEL: object->onMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == window) {
            object->onMouseUp(lowWord(l), highWord(l));
            ReleaseCapture();
            dragFlag = 0;
        }
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The toolkit object of a top-level window of ours; other windows' extra bytes mean other things.
EWindow* objectOfTopLevel(HWND window) {
    HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    char className[16] = {};
    if (!root || !GetClassNameA(root, className, sizeof className) || lstrcmpA(className, "EWindow") != 0)
        return nullptr;
    return reinterpret_cast<EWindow*>(GetWindowLongPtrA(root, 0));
}

}  // namespace

bool routeKeyMessage(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) return false;
    try {
        EWindow* object = objectOfTopLevel(message.hwnd);
        return object && object->onKey(static_cast<int>(message.wParam), message.message == WM_KEYDOWN);
    } catch (...) {
        return true;  // as a message whose handler ran out of memory: that key is lost
    }
}

void focusControl(HWND control) {
    if (!control) return;
    SetFocus(control);
    char className[16] = {};
    if (GetClassNameA(control, className, sizeof className) && lstrcmpiA(className, "Edit") == 0)
        SendMessageA(control, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // An exception (memory run out) must not unwind through the system's code that called
    // us: the message is then left to the default handling and the program goes on.
    try {
        return routeMessage(window, message, wParam, lParam);
    } catch (...) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace Quillon::Selvane
