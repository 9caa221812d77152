#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "screens/program_data.h"
#include "app/shell.h"
#include "screens/timer_callbacks.h"
#include "screens/transitions.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane::Testing {

// The controls of a Symulator or Player window, numbered in build order.
enum ViewingId { kRunStop = 1, kTurnOpposite, kTurnBelow, kTurnRight, kTurnAbove, kIndicater, kRew, kPlayPause,
                 kFastFoword, kTurnLeft, kGo, kBack, kHomePosition };

// A child control's text, class and bounds in its parent's client area.
struct ControlSeen {
    std::string text;
    std::string systemClass;
    RECT bounds;
};

inline ControlSeen seeControl(HWND window, int identifier) {
    ControlSeen seen{};
    HWND control = GetDlgItem(window, identifier);
    char buffer[256] = {};
    GetWindowTextA(control, buffer, sizeof buffer);
    seen.text = buffer;
    GetClassNameA(control, buffer, sizeof buffer);
    seen.systemClass = buffer;
    GetWindowRect(control, &seen.bounds);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&seen.bounds), 2);
    return seen;
}

inline std::string captionOf(HWND window, int identifier) { return seeControl(window, identifier).text; }

// A real click: the button sends its parent the notification a mouse click would.
inline void click(HWND window, int identifier) { SendMessageA(GetDlgItem(window, identifier), BM_CLICK, 0, 0); }

// Runs the message loop until the condition holds or the time (milliseconds) is up.
template <class Condition>
bool pumpUntil(Condition condition, DWORD limit = 5000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > limit) return false;
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            Sleep(1);
        }
    }
    return true;
}

inline bool quitPosted(WPARAM& code) {
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    code = message.wParam;
    return true;
}

// What the window shows at a client pixel, after any pending paint.
inline COLORREF pixelAt(HWND window, int x, int y) {
    UpdateWindow(window);
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// Every test starts as a fresh program run would, and ends with no viewing window.
class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        setInitialStates();
        starTable = {};
        simulationParameters = {};
        stepCounter = {};
        stepHooks = {};
        DeleteFileA("Recorder.wrk");
    }
    void TearDown() override {
        if (viewingWindow && IsWindow(viewingWindow->handle)) DestroyWindow(viewingWindow->handle);
        viewingWindow = nullptr;
        WPARAM code;
        while (quitPosted(code)) {
        }
        workFile.closeRecording();
        DeleteFileA("Recorder.wrk");
    }
    HWND viewing() const { return viewingWindow ? viewingWindow->handle : nullptr; }
    // "Player" with no recording to replay: the program ends, code 0, and no window appears.
    void expectPlayerEndsWithNoWindow() {
        openPlayerScreen();
        EXPECT_FALSE(viewing());
        EXPECT_FALSE(FindWindowA("EWindow", "Selvane"));
        WPARAM code = 1;
        EXPECT_TRUE(quitPosted(code));
        EXPECT_EQ(code, 0u);
    }
};

// The parameter window, built once for the whole test program as start-up does.
HWND initialiseWindow();

}  // namespace Quillon::Selvane::Testing
