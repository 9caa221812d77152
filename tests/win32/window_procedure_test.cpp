// The routing of window messages to toolkit objects.
#include <new>

#include "toolkit/window_procedure.h"
#include "tests/win32/toolkit_fixture.h"
#include "toolkit/e_label.h"
#include "toolkit/e_scroll_bar.h"

namespace Quillon::Selvane::Testing {
namespace {

class WindowProcedureTest : public ToolkitTest {
protected:
    void SetUp() override {
        ToolkitTest::SetUp();
        window.setGeometry(100, 100, 300, 200);
        window.show(SW_SHOWNORMAL);
        pumpMessages();
        window.events.clear();
        dragFlag = 0;
    }
    LRESULT send(UINT message, WPARAM w, LPARAM l) { return SendMessageA(window.handle, message, w, l); }

    RecordingWindow window;
};

TEST_F(WindowProcedureTest, CommandsWithoutAHandlingChildGoToTheDefaultProcedure) {
    auto* label = new ELabel;
    window.addChild(label);
    send(WM_COMMAND, MAKEWPARAM(0, 0), 0);
    send(WM_COMMAND, MAKEWPARAM(1, STN_CLICKED), reinterpret_cast<LPARAM>(label->handle));
    send(WM_COMMAND, MAKEWPARAM(57, 0), 0);  // names no child
    EXPECT_EQ(label->onCommand(STN_CLICKED), 0);  // not handled: the system's turn
    EXPECT_TRUE(window.events.empty());
}

TEST_F(WindowProcedureTest, ScrollMessagesReachTheControlOrTheWindowItself) {
    auto* bar = new EHScrollBar;
    window.addChild(bar);
    send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(bar->handle));
    EXPECT_EQ(bar->scrollPos, 1);
    send(WM_VSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), reinterpret_cast<LPARAM>(bar->handle));
    EXPECT_EQ(bar->scrollPos, 11);
    EXPECT_TRUE(window.events.empty());

    send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40000), 0);
    send(WM_VSCROLL, MAKEWPARAM(SB_LINELEFT, 0), 0);
    EXPECT_EQ(window.events, (std::vector<std::string>{"hscroll 4,40000", "vscroll 0,0"}));

    // A scroll bar whose identifier names no child is left to the system.
    HWND stranger = CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | SBS_HORZ, 0, 0, 50, 10, window.handle,
                                    reinterpret_cast<HMENU>(99), toolkitInstance, nullptr);
    EXPECT_EQ(send(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(stranger)), 0);
    EXPECT_EQ(window.events.size(), 2u);
    EXPECT_EQ(bar->scrollPos, 11);
}

TEST_F(WindowProcedureTest, AnExceptionInAHandlerStaysInTheProgram) {
    struct RunningOutOfMemory : RecordingWindow {
        void onMouseMove(int, int) override { throw std::bad_alloc(); }
    };
    RunningOutOfMemory failing;
    failing.setGeometry(10, 10, 100, 100);
    failing.show(SW_HIDE);  // creates it
    EXPECT_EQ(SendMessageA(failing.handle, WM_MOUSEMOVE, 0, MAKELPARAM(3, 4)), 0);
    EXPECT_TRUE(IsWindow(failing.handle));
    EXPECT_EQ(send(WM_MOUSEMOVE, 0, MAKELPARAM(5, 6)), 0);  // the others still answer
    EXPECT_EQ(window.events, (std::vector<std::string>{"move 5,6"}));
}

TEST_F(WindowProcedureTest, PaintIsAlwaysValidatedAfterTheHandler) {
    ASSERT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE));  // the fixture's pump drew it
    window.repaint();
    ASSERT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE));
    UpdateWindow(window.handle);
    EXPECT_EQ(window.events, (std::vector<std::string>{"paint"}));
    EXPECT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE));
}

TEST_F(WindowProcedureTest, DragsRunFromPressToReleaseOnTheCapturingWindow) {
    send(WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_EQ(GetCapture(), window.handle);
    EXPECT_EQ(dragFlag, 1);
    send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-1, -2));  // captured, left of and above the window
    send(WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(dragFlag, 0);
    EXPECT_EQ(window.events,
              (std::vector<std::string>{"move 5,6", "down 10,20", "drag 65535,65534", "up 30,40"}));
}

TEST_F(WindowProcedureTest, AReleaseWithoutTheCaptureDoesNothing) {
    dragFlag = 1;  // as after the system took the capture away
    EXPECT_EQ(send(WM_LBUTTONUP, 0, MAKELPARAM(1, 1)), 0);
    EXPECT_EQ(dragFlag, 1);
    send(WM_MOUSEMOVE, 0, MAKELPARAM(2, 3));
    EXPECT_EQ(window.events, (std::vector<std::string>{"drag 2,3"}));
}

TEST_F(WindowProcedureTest, DestroyAndSizeReachTheObjectWhichOutlivesItsWindow) {
    MoveWindow(window.handle, 0, 0, 250, 150, TRUE);
    EXPECT_NE(std::find(window.events.begin(), window.events.end(), "size"), window.events.end());
    DestroyWindow(window.handle);
    EXPECT_EQ(window.events.back(), "destroy");
    EXPECT_NE(window.handle, nullptr);  // the stale handle stays
}

TEST_F(WindowProcedureTest, AWindowWithoutItsObjectIsLeftToTheSystem) {
    // As during creation, before the object pointer is stored.
    HWND bare = CreateWindowExA(0, "EWindow", "bare", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                toolkitInstance, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(SendMessageA(bare, WM_COMMAND, MAKEWPARAM(1, 0), 0), 0);
    SendMessageA(bare, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(window.handle));
    SendMessageA(bare, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(dragFlag, 0);
    InvalidateRect(bare, nullptr, TRUE);
    UpdateWindow(bare);
    EXPECT_FALSE(GetUpdateRect(bare, nullptr, FALSE));
    char title[16] = {};
    EXPECT_EQ(SendMessageA(bare, WM_GETTEXT, sizeof title, reinterpret_cast<LPARAM>(title)), 4);
    EXPECT_TRUE(DestroyWindow(bare));
    EXPECT_TRUE(window.events.empty());
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
