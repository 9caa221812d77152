#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/e_window.h"

namespace Quillon::Selvane::Testing {

// Every toolkit object needs the instance handle before it is constructed.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override { toolkitInstance = GetModuleHandleA(nullptr); }
};

// Delivers whatever the windows posted, so queued notifications have arrived.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

inline std::string nativeText(HWND window) {
    char buffer[256] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// A top-level window that writes down every event it is given.
class RecordingWindow : public EWindow {
public:
    void onDestroy() override { events.push_back("destroy"); }
    void onSize() override { events.push_back("size"); }
    void onMouseDown(int x, int y) override { mouse("down", x, y); }
    void onMouseUp(int x, int y) override { mouse("up", x, y); }
    void onMouseMove(int x, int y) override { mouse("move", x, y); }
    void onMouseDrag(int x, int y) override { mouse("drag", x, y); }
    void onPaint(HWND) override { events.push_back("paint"); }
    void onHScroll(int request, int position) override { mouse("hscroll", request, position); }
    void onVScroll(int request, int position) override { mouse("vscroll", request, position); }

    std::vector<std::string> events;

private:
    void mouse(const char* what, int a, int b) {
        events.push_back(std::string(what) + " " + std::to_string(a) + "," + std::to_string(b));
    }
};

}  // namespace Quillon::Selvane::Testing
