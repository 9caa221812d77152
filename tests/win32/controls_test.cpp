// Buttons and scroll bars driven by real notifications.
#include "tests/win32/toolkit_fixture.h"
#include "toolkit/e_button.h"
#include "toolkit/e_scroll_bar.h"

namespace Quillon::Selvane::Testing {
namespace {

using ControlsTest = ToolkitTest;

class CountingButton : public EButton {
public:
    void onClick() override { ++clicks; }
    int clicks = 0;
};

class RecordingScrollBar : public EHScrollBar {
public:
    void onChange(int position) override { changes.push_back(position); }
    std::vector<int> changes;
};

TEST_F(ControlsTest, AClickReachesOnClickOnceAndIsHandled) {
    RecordingWindow window;
    auto* button = new CountingButton;
    button->setText("RUN");
    window.addChild(button);
    button->setGeometry(10, 10, 80, 30);
    window.show(SW_SHOWNORMAL);

    SendMessageA(button->handle, BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_EQ(button->clicks, 1);

    SendMessageA(window.handle, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(button->handle));
    EXPECT_EQ(button->clicks, 2);
    // Other notifications are reported handled without a click.
    SendMessageA(window.handle, WM_COMMAND, MAKEWPARAM(1, BN_SETFOCUS), reinterpret_cast<LPARAM>(button->handle));
    EXPECT_EQ(button->onCommand(BN_SETFOCUS), 1);
    EXPECT_EQ(button->clicks, 2);

    // RUN/Stop and >/II change the caption of the live button.
    button->setText("Stop");
    EXPECT_EQ(nativeText(button->handle), "Stop");
}

class ScrollBarTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        bar = new RecordingScrollBar;
        bar->setMin(0);
        bar->setMax(100);
        window.addChild(bar);
        bar->setGeometry(0, 0, 300, 20);
        window.events.clear();
    }
    void request(int code, int position = 0) {
        SendMessageA(window.handle, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar->handle));
    }
    int nativePos() const { return GetScrollPos(bar->handle, SB_CTL); }

    RecordingWindow window;
    RecordingScrollBar* bar = nullptr;
};

TEST_F(ScrollBarTest, LineAndPageRequestsStopAtTheEndsOfTheRange) {
    request(SB_LINERIGHT);
    request(SB_PAGERIGHT);
    request(SB_ENDSCROLL);
    EXPECT_EQ(bar->changes, (std::vector<int>{1, 11, 11}));
    EXPECT_EQ(nativePos(), 11);
    bar->setPos(95);
    request(SB_PAGERIGHT);
    request(SB_LINERIGHT);
    EXPECT_EQ(bar->scrollPos, 100);
    bar->setPos(3);
    request(SB_PAGELEFT);
    request(SB_LINELEFT);
    EXPECT_EQ(bar->changes, (std::vector<int>{1, 11, 11, 100, 100, 0, 0}));
    EXPECT_TRUE(window.events.empty());  // the window's own handler heard none of it
}

TEST_F(ScrollBarTest, OnlyTheReleasedThumbMovesThePosition) {
    request(SB_THUMBTRACK, 37);
    request(SB_THUMBPOSITION, 37);
    request(SB_ENDSCROLL);
    request(SB_LEFT);
    request(SB_RIGHT);
    EXPECT_EQ(bar->changes, (std::vector<int>{0, 37, 37, 37, 37}));
    EXPECT_EQ(nativePos(), 37);
}

TEST_F(ScrollBarTest, RangeRulesAndPositionsOutsideTheRange) {
    EXPECT_EQ(GetWindowLongPtrA(bar->handle, GWL_STYLE) & SBS_VERT, 0);  // a horizontal control
    bar->setMax(0);
    EXPECT_EQ(bar->getMax(), 1);
    bar->setMax(100);
    bar->setMin(100);
    EXPECT_EQ(bar->getMin(), 99);
    bar->setMin(0);
    bar->setPos(-5);
    EXPECT_EQ(bar->scrollPos, 0);
    bar->setPos(500);
    EXPECT_EQ(bar->scrollPos, 500);  // kept; the control shows its end
    EXPECT_EQ(nativePos(), 100);

    // The native range follows setMax only at the next request.
    bar->setMax(40);
    int low = 0, high = 0;
    GetScrollRange(bar->handle, SB_CTL, &low, &high);
    EXPECT_EQ(high, 100);
    request(SB_LINELEFT);
    GetScrollRange(bar->handle, SB_CTL, &low, &high);
    EXPECT_EQ(high, 40);
    EXPECT_EQ(bar->scrollPos, 499);

    // Extreme positions neither overflow nor escape the range on a step.
    bar->setMin(INT32_MIN);
    bar->setPos(INT32_MIN);
    request(SB_PAGELEFT);
    EXPECT_EQ(bar->scrollPos, INT32_MIN);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
