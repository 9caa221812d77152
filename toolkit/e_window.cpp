#include "toolkit/e_window.h"

#include <algorithm>

#include "toolkit/window_procedure.h"
#include "toolkit/e_menu_bar.h"

namespace Quillon::Selvane {

int classRegistered = 0;
HINSTANCE toolkitInstance = nullptr;

namespace {

const char kEmptyText[] = "";

// Sums and differences of placements wrap like the 32-bit values they are.
int32_t wrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t wrappingSubtract(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
int low16(int value) { return static_cast<int>(static_cast<uint32_t>(value) & 0xFFFFu); }

}  // namespace

EWindow::EWindow() : text(kEmptyText) {
    if (!classRegistered) EWindow::registerClass();
}

EWindow::~EWindow() {
    // Menu entries sit in their window's list too, but belong to their menu: an object
    // destroys only the children whose parent it is, and each of those once.
    for (size_t i = children.size(); i-- > 0;) {
        EWindow* child = children[i];
        const bool listedEarlier = std::find(children.begin(), children.begin() + i, child) != children.begin() + i;
        if (child->parent == this && !listedEarlier) delete child;
    }
    if (menuBar && (menuBar->ownerWindow == this || menuBar->ownerWindow == nullptr)) delete menuBar;
    if (ownsLiveNativeWindow()) {
        // The object is going: later messages of the window must not reach it.
        if (objectLinked_) SetWindowLongPtrA(handle, 0, 0);
        DestroyWindow(handle);
    }
}

bool EWindow::ownsLiveNativeWindow() const {
    // A handle kept after its window was closed may since name another window.
    if (!handle || !IsWindow(handle)) return false;
    if (objectLinked_) return GetWindowLongPtrA(handle, 0) == reinterpret_cast<LONG_PTR>(this);
    return parent && parent->ownsLiveNativeWindow() && GetParent(handle) == parent->handle;
}

void EWindow::show(int command) {
    ensureCreated();
    if (handle) ShowWindow(handle, command);
    setCaption(text);
    setBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
    repaint();
}

void EWindow::setBounds(int left, int top, int right, int bottom) {
    bounds = {left, top, right, bottom};
    if (handle) setGeometry(left, top, wrappingSubtract(right, left), wrappingSubtract(bottom, top));
}

void EWindow::setGeometry(int x, int y, int width, int height) {
    bounds = {x, y, wrappingAdd(x, width), wrappingAdd(y, height)};
    if (handle) {
        MoveWindow(handle, low16(x), low16(y), low16(width), low16(height), TRUE);
        onSize();
    }
}

void EWindow::addChild(EWindow* child) {
    ensureCreated();
    if (!child || std::find(children.begin(), children.end(), child) != children.end()) return;
    children.push_back(child);
    child->create(this, static_cast<int>(children.size()));
    repaint();
}

const char* EWindow::getText() {
    if (!handle) return text;
    const int length = GetWindowTextLengthA(handle);
    std::string buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = GetWindowTextA(handle, &buffer[0], static_cast<int>(buffer.size()));
    buffer.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    textRead_.swap(buffer);
    text = textRead_.c_str();
    return text;
}

void EWindow::setText(const char* newText) {
    text = newText ? newText : kEmptyText;
    if (handle) SetWindowTextA(handle, text);
}

void EWindow::setCaption(const char* caption) { setText(caption); }

void EWindow::setMenuBar(EMenuBar* bar) {
    ensureCreated();
    menuBar = bar;
    if (bar) bar->attachToWindow(this);
}

void EWindow::repaint() {
    ensureCreated();
    if (handle) InvalidateRect(handle, nullptr, TRUE);
}

void EWindow::create(EWindow* parentWindow, int identifier) { createWindow(parentWindow, identifier, true); }

void EWindow::createWindow(EWindow* parentWindow, int identifier, bool linkObject) {
    parent = parentWindow;
    handle = createNative(parent ? parent->handle : nullptr, text, identifier);
    if (handle && linkObject) {
        SetWindowLongPtrA(handle, 0, reinterpret_cast<LONG_PTR>(this));
        objectLinked_ = true;
    }
    if (parent) parent->repaint();
}

HWND EWindow::createNative(HWND parentHandle, const char* windowText, int identifier) {
    return CreateWindowExA(0, "EWindow", windowText, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, parentHandle,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(identifier)), toolkitInstance, nullptr);
}

ATOM EWindow::registerClass() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = sizeof(LONG_PTR);  // the object pointer
    windowClass.hInstance = toolkitInstance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "EWindow";
    classRegistered = 1;
    return RegisterClassA(&windowClass);
}

void EWindow::attachToWindow(EWindow*) {}
void EWindow::onDestroy() {}
void EWindow::onSize() {}
void EWindow::onMouseDown(int, int) {}
void EWindow::onMouseUp(int, int) {}
void EWindow::onMouseMove(int, int) {}
void EWindow::onMouseDrag(int, int) {}
void EWindow::onPaint(HWND) {}
int EWindow::onCommand(int) { return 0; }
void EWindow::onHScroll(int, int) {}
void EWindow::onVScroll(int, int) {}
void EWindow::onMouseWheel(int) {}
bool EWindow::onKey(int, bool) { return false; }

EWindow* EWindow::childWithId(int identifier) const {
    if (identifier < 1 || static_cast<size_t>(identifier) > children.size()) return nullptr;
    return children[static_cast<size_t>(identifier) - 1];
}

void EWindow::ensureCreated() {
    if (parent || handle) return;
    create(nullptr, 0);
    setCaption(text);
    setBounds(bounds.left, bounds.top, bounds.right, bounds.bottom);
}

}  // namespace Quillon::Selvane
