// Screen widgets written as one line each still pass through their screen's gate.
#include "screens/state_machine.h"
#include "tests/win32/toolkit_fixture.h"
#include "toolkit/forwarding.h"

namespace Quillon::Selvane::Testing {
namespace {

StateMachine gate;
std::vector<std::string> heard;

void pressed() { heard.push_back("pressed in " + std::to_string(gate.current)); }
void moved(int position) { heard.push_back("moved to " + std::to_string(position)); }
void closed() { heard.push_back("closed"); }
void painted(HWND) { heard.push_back("painted"); }

class Press : public ForwardClick<&gatedEvent<gate, pressed>> {};
class Position : public ForwardChange<&gatedChange<gate, moved>> {};
class Screen : public ForwardWindow<&gatedEvent<gate, closed>, &gatedPaint<gate, painted>> {};

using ForwardingTest = ToolkitTest;

TEST_F(ForwardingTest, EachWidgetEventTakesTheGatesPendingStateFirst) {
    heard.clear();
    Screen screen;
    auto* press = new Press;
    auto* position = new Position;
    screen.addChild(press);
    screen.addChild(position);
    screen.setGeometry(0, 0, 300, 200);
    screen.show(SW_SHOWNORMAL);
    pumpMessages();
    heard.clear();

    gate.pending = 7;
    SendMessageA(press->handle, BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_EQ(gate.current, 7);
    gate.pending = 3;
    SendMessageA(screen.handle, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), reinterpret_cast<LPARAM>(position->handle));
    EXPECT_EQ(gate.current, 3);
    InvalidateRect(screen.handle, nullptr, TRUE);
    UpdateWindow(screen.handle);
    DestroyWindow(screen.handle);
    EXPECT_EQ(heard, (std::vector<std::string>{"pressed in 7", "moved to 1", "painted", "closed"}));
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
