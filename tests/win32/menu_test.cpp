// Menus built in either order deliver their commands to their entries.
#include "tests/win32/toolkit_fixture.h"
#include "toolkit/e_menu.h"
#include "toolkit/e_menu_bar.h"
#include "toolkit/e_menu_item.h"

namespace Quillon::Selvane::Testing {
namespace {

using MenuTest = ToolkitTest;

class CountingItem : public EMenuItem {
public:
    void onSelect() override { ++selections; }
    ~CountingItem() override { ++destroyed; }
    int selections = 0;
    static inline int destroyed = 0;
};

std::string menuLabel(HMENU menu, UINT position) {
    char buffer[64] = {};
    GetMenuStringA(menu, position, buffer, sizeof buffer, MF_BYPOSITION);
    return buffer;
}

// Builds "&File" with "&Open" and "Save&As"; entries first, or the drop-down first.
void buildFileMenu(RecordingWindow& window, CountingItem*& open, CountingItem*& saveAs, bool entriesFirst) {
    window.setGeometry(50, 60, 300, 200);
    auto* bar = new EMenuBar;
    window.setMenuBar(bar);
    auto* file = new EMenu;
    file->setText("&File");
    open = new CountingItem;
    open->setText("&Open");
    saveAs = new CountingItem;
    saveAs->setText("Save&As");
    if (entriesFirst) {
        file->addChild(open);
        file->addChild(saveAs);
        bar->addChild(file);
    } else {
        bar->addChild(file);
        file->addChild(open);
        file->addChild(saveAs);
    }
}

TEST_F(MenuTest, EitherBuildingOrderGivesTheSameMenuAndIdentifiers) {
    for (const bool entriesFirst : {true, false}) {
        RecordingWindow window;
        CountingItem *open = nullptr, *saveAs = nullptr;
        buildFileMenu(window, open, saveAs, entriesFirst);
        window.setMenuBar(window.menuBar);  // attaching again adds nothing
        const HMENU bar = GetMenu(window.handle);
        ASSERT_NE(bar, nullptr);
        ASSERT_EQ(GetMenuItemCount(bar), 1);
        EXPECT_EQ(menuLabel(bar, 0), "&File");
        const HMENU file = GetSubMenu(bar, 0);
        ASSERT_EQ(GetMenuItemCount(file), 2);
        EXPECT_EQ(menuLabel(file, 0), "&Open");
        EXPECT_EQ(menuLabel(file, 1), "Save&As");
        EXPECT_EQ(GetMenuItemID(file, 0), 2u);  // the drop-down itself took identifier 1
        EXPECT_EQ(GetMenuItemID(file, 1), 3u);
        EXPECT_EQ(window.children.size(), 3u);

        // The bar's new line is already in the frame: a recomputed frame leaves the client as it is.
        RECT client, reframed;
        GetClientRect(window.handle, &client);
        SetWindowPos(window.handle, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        GetClientRect(window.handle, &reframed);
        EXPECT_EQ(client.bottom, reframed.bottom);

        // A chosen command, as the system delivers it.
        SendMessageA(window.handle, WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 1), 0), 0);
        EXPECT_EQ(saveAs->selections, 1);
        EXPECT_EQ(open->selections, 0);
        PostMessageA(window.handle, WM_COMMAND, MAKEWPARAM(GetMenuItemID(file, 0), 0), 0);
        pumpMessages();
        EXPECT_EQ(open->selections, 1);
    }
}

TEST_F(MenuTest, ALiveMenuRedrawsForNewEntriesButTakesNoNewTexts) {
    RecordingWindow window;
    CountingItem *open = nullptr, *saveAs = nullptr;
    buildFileMenu(window, open, saveAs, false);
    window.show(SW_SHOWNORMAL);
    UpdateWindow(window.handle);
    ASSERT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE));
    static_cast<EMenu*>(window.menuBar->children[0])->addChild(new CountingItem);
    EXPECT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE));

    open->setText("&Load");
    EXPECT_STREQ(open->getText(), "&Load");
    EXPECT_EQ(menuLabel(GetSubMenu(GetMenu(window.handle), 0), 0), "&Open");
    EXPECT_EQ(open->onCommand(7), 1);  // any code counts as handled
}

TEST_F(MenuTest, EachMenuObjectIsDestroyedOnceThoughListedTwice) {
    CountingItem::destroyed = 0;
    auto* window = new RecordingWindow;
    CountingItem *open = nullptr, *saveAs = nullptr;
    buildFileMenu(*window, open, saveAs, true);
    auto* file = static_cast<EMenu*>(window->menuBar->children[0]);
    file->addSeparator();
    file->addChild(open);  // a second time: shown twice, one object all the same
    EXPECT_EQ(window->children.size(), 4u);
    const HMENU fileMenu = GetSubMenu(GetMenu(window->handle), 0);
    ASSERT_EQ(GetMenuItemCount(fileMenu), 4);
    EXPECT_TRUE(GetMenuState(fileMenu, 2, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(fileMenu, 3), 2u);
    delete window;
    EXPECT_EQ(CountingItem::destroyed, 2);
}

TEST_F(MenuTest, AMenuBarForAWindowThatCouldNotBeCreatedStaysDetached) {
    EWindow window;
    auto* bar = new EMenuBar;
    bar->attachToWindow(&window);  // no native window yet
    EXPECT_EQ(bar->ownerWindow, nullptr);
    auto* item = new CountingItem;
    bar->addChild(item);  // kept until the bar is attached
    EXPECT_EQ(item->commandId, 0);
    window.setMenuBar(bar);
    EXPECT_EQ(bar->ownerWindow, &window);
    EXPECT_EQ(item->commandId, 1);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
