// EWindow against the real user32: lazy creation, placement, children, texts, registration.
#include <memory>

#include "tests/win32/toolkit_fixture.h"
#include "toolkit/e_button.h"
#include "toolkit/e_label.h"
#include "toolkit/e_text_field.h"

namespace Quillon::Selvane::Testing {
namespace {

using WindowTest = ToolkitTest;

// The style each window asked for at creation; an edit control drops WS_BORDER from its
// own style afterwards and draws the border itself, so the request is what shows intent.
// The system's own helper windows (such as the input method's) are left out.
std::vector<std::pair<std::string, DWORD>> requestedStyles;
LRESULT CALLBACK noteCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA* created = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        const std::string name = IS_INTRESOURCE(created->lpszClass) ? "" : created->lpszClass;
        if (name == "EWindow" || name == "BUTTON" || name == "STATIC" || name == "EDIT")
            requestedStyles.emplace_back(name, static_cast<DWORD>(created->style));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(WindowTest, PlacementIsOnlyStoredUntilTheFirstChildCreatesTheWindow) {
    RecordingWindow window;
    window.setCaption("Stored caption");
    window.setGeometry(30, 40, 300, 200);
    EXPECT_EQ(window.handle, nullptr);
    EXPECT_TRUE(window.events.empty());  // no onSize without a window
    EXPECT_EQ(window.bounds.right, 330);

    auto* button = new EButton;
    window.addChild(button);
    ASSERT_NE(window.handle, nullptr);
    EXPECT_EQ(nativeText(window.handle), "Stored caption");
    RECT rect;
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.left, 30);
    EXPECT_EQ(rect.top, 40);
    EXPECT_EQ(rect.right, 330);
    EXPECT_EQ(rect.bottom, 240);
    EXPECT_EQ(GetParent(button->handle), window.handle);
    EXPECT_EQ(GetWindowLongPtrA(window.handle, 0), reinterpret_cast<LONG_PTR>(&window));
    EXPECT_FALSE(IsWindowVisible(window.handle));
}

TEST_F(WindowTest, SetGeometryStoresCornersAndResizesACreatedWindow) {
    RecordingWindow window;
    window.repaint();  // creates it
    ASSERT_NE(window.handle, nullptr);
    window.events.clear();
    window.setGeometry(10, 20, 100, 50);
    EXPECT_EQ(window.bounds.left, 10);
    EXPECT_EQ(window.bounds.top, 20);
    EXPECT_EQ(window.bounds.right, 110);
    EXPECT_EQ(window.bounds.bottom, 70);
    EXPECT_NE(std::find(window.events.begin(), window.events.end(), "size"), window.events.end());
    // The system keeps a captioned window no narrower than its minimum, so check a wider one.
    window.setGeometry(10, 20, 300, 150);
    RECT rect;
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 150);

    // Placements go to the system as their low 16 bits.
    window.setGeometry(0x10000 + 5, 7, 0x10000 + 320, 160);
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.right - rect.left, 320);
    EXPECT_EQ(window.bounds.right, 0x20000 + 325);

    // A move alone brings no WM_SIZE from the system; onSize comes all the same.
    window.events.clear();
    window.setGeometry(40, 20, 320, 160);
    EXPECT_EQ(window.events, (std::vector<std::string>{"size"}));
}

TEST_F(WindowTest, ShowMakesTheWindowVisibleAtItsStoredBoundsAndRedrawsIt) {
    RecordingWindow window;
    window.setCaption("Selvane");
    window.setGeometry(50, 60, 200, 150);
    window.show(SW_HIDE);  // the caller's show command, not a fixed one
    ASSERT_NE(window.handle, nullptr);
    EXPECT_FALSE(IsWindowVisible(window.handle));
    // Moved and renamed behind the object's back, as a window manager may do.
    MoveWindow(window.handle, 300, 310, 250, 180, FALSE);
    SetWindowTextA(window.handle, "elsewhere");
    window.show(SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(window.handle));
    RECT rect;
    GetWindowRect(window.handle, &rect);
    EXPECT_EQ(rect.left, 50);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right, 250);
    EXPECT_EQ(rect.bottom, 210);
    EXPECT_EQ(nativeText(window.handle), "Selvane");

    // Drawn and in place, it is redrawn by show and by a resize.
    UpdateWindow(window.handle);
    ASSERT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE));
    window.show(SW_SHOWNORMAL);
    EXPECT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE));
    UpdateWindow(window.handle);
    window.setGeometry(50, 60, 220, 150);
    EXPECT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE));
}

TEST_F(WindowTest, ChildrenAreNumberedInOrderOfAdditionAndOnlyOnce) {
    auto* window = new RecordingWindow;
    auto* first = new EButton;
    auto* second = new ELabel;
    auto* third = new ETextField;
    requestedStyles.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, noteCreation, nullptr, GetCurrentThreadId());
    window->addChild(first);
    window->addChild(second);
    window->addChild(first);  // already there: no second identifier
    window->addChild(nullptr);
    window->addChild(third);
    UnhookWindowsHookEx(hook);
    ASSERT_EQ(window->children.size(), 3u);
    EXPECT_EQ(GetDlgCtrlID(first->handle), 1);
    EXPECT_EQ(GetDlgCtrlID(second->handle), 2);
    EXPECT_EQ(GetDlgCtrlID(third->handle), 3);
    EXPECT_EQ(window->childWithId(3), third);
    EXPECT_EQ(window->childWithId(4), nullptr);
    EXPECT_EQ(window->childWithId(0), nullptr);

    char className[32];
    GetClassNameA(third->handle, className, sizeof className);
    EXPECT_STREQ(className, "Edit");
    // The window itself, then button, label and field with their own styles.
    using Request = std::pair<std::string, DWORD>;
    EXPECT_EQ(requestedStyles, (std::vector<Request>{{"EWindow", WS_OVERLAPPEDWINDOW},
                                                     {"BUTTON", 0x50000000u},
                                                     {"STATIC", 0x50000000u},
                                                     {"EDIT", 0x50800180u}}));

    const HWND windowHandle = window->handle;
    const HWND childHandle = first->handle;
    delete window;  // takes its controls with it
    EXPECT_FALSE(IsWindow(windowHandle));
    EXPECT_FALSE(IsWindow(childHandle));
}

TEST_F(WindowTest, TextsAreHeldByReferenceAndReadBackFromTheControl) {
    RecordingWindow window;
    auto* field = new ETextField;
    static const char kDefault[] = "128";
    field->setText(kDefault);
    EXPECT_EQ(field->getText(), kDefault);  // no window yet: the caller's own text
    window.addChild(field);
    EXPECT_EQ(nativeText(field->handle), "128");

    SetWindowTextA(field->handle, "4096 stars");
    const char* first = field->getText();
    EXPECT_STREQ(first, "4096 stars");
    EXPECT_EQ(field->text, first);
    SetWindowTextA(field->handle, "");
    EXPECT_STREQ(field->getText(), "");
}

TEST_F(WindowTest, TheWindowClassIsRegisteredByTheFirstObjectOnly) {
    WNDCLASSA info;
    ASSERT_TRUE(UnregisterClassA("EWindow", toolkitInstance));
    classRegistered = 0;
    { RecordingWindow first; }
    ASSERT_TRUE(GetClassInfoA(toolkitInstance, "EWindow", &info));
    EXPECT_EQ(info.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(info.cbWndExtra, static_cast<int>(sizeof(LONG_PTR)));
    EXPECT_EQ(info.hbrBackground, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));

    ASSERT_TRUE(UnregisterClassA("EWindow", toolkitInstance));
    { EButton later; }
    EXPECT_FALSE(GetClassInfoA(toolkitInstance, "EWindow", &info));
    RecordingWindow().registerClass();  // leave the class for the other tests
    EXPECT_TRUE(GetClassInfoA(toolkitInstance, "EWindow", &info));
}

TEST_F(WindowTest, FailedCreationLeavesOnlyTheStoredFields) {
    // A control given no parent cannot be created: it keeps working on its fields.
    EButton orphan;
    orphan.create(nullptr, 1);
    EXPECT_EQ(orphan.handle, nullptr);
    orphan.setText("still stored");
    orphan.setGeometry(1, 2, 3, 4);
    EXPECT_STREQ(orphan.getText(), "still stored");
    EXPECT_EQ(orphan.bounds.bottom, 6);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
