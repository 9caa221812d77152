#include <cmath>

#include "screens/initialise/initialise_machines.h"
#include "tests/win32/screens/screen_fixture.h"

namespace Quillon::Selvane::Testing {

HWND initialiseWindow() {
    static HWND window = [] {
        setInitialStates();
        openInitialiseScreen();
        return FindWindowA("EWindow", "Initialise");
    }();
    return window;
}

namespace {

enum InitialiseId { kPlayer = 4, kSymulator, kCompose, kRecordingSpeed, kLightSpeed = 9, kSpeedDistribution = 11,
                    kScale = 13, kNumberOfStar = 15, kSizeOfStar = 17, kMaxSpeed = 19 };

void typeInto(int identifier, const char* text) { SetWindowTextA(GetDlgItem(initialiseWindow(), identifier), text); }

void typeDefaults() {
    const std::pair<int, const char*> defaults[] = {{kRecordingSpeed, "5"}, {kLightSpeed, "30"},
                                                    {kSpeedDistribution, "0.5"}, {kScale, "250"},
                                                    {kNumberOfStar, "128"}, {kSizeOfStar, "20"},
                                                    {kMaxSpeed, "0.4"}};
    for (const auto& [identifier, text] : defaults) typeInto(identifier, text);
}

using InitialiseScreenTest = ScreenTest;

TEST_F(InitialiseScreenTest, LayoutNumbersTheControlsInBuildOrderWithTheirTextsAndBounds) {
    HWND window = initialiseWindow();
    ASSERT_TRUE(window);
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.right - outer.left, 503);
    EXPECT_EQ(outer.bottom - outer.top, 495);

    struct Expected { const char* text; const char* systemClass; RECT bounds; };
    const Expected controls[] = {
        {"Player", "Button", {382, 408, 486, 439}},        {"Symulator", "Button", {282, 408, 382, 439}},
        {"Compose", "Button", {181, 408, 282, 439}},       {"5", "Edit", {139, 411, 174, 439}},
        {"Recording Speed", "Static", {1, 411, 135, 441}}, {"30", "Edit", {380, 95, 473, 128}},
        {"Light Speed", "Static", {271, 97, 368, 125}},    {"0.5", "Edit", {160, 96, 253, 129}},
        {"Speed Distribution", "Static", {1, 95, 149, 127}}, {"250", "Edit", {379, 52, 473, 85}},
        {"Scale", "Static", {273, 53, 367, 81}},           {"128", "Edit", {162, 53, 254, 85}},
        {"Number of Star", "Static", {1, 51, 148, 84}},    {"20", "Edit", {379, 8, 475, 41}},
        {"Size of Star", "Static", {277, 9, 367, 41}},     {"0.4", "Edit", {162, 8, 254, 43}},
        {"Max Speed", "Static", {1, 8, 148, 43}},
    };
    typeDefaults();  // other tests type into the fields
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(controls[i].text);
        const ControlSeen seen = seeControl(window, kPlayer + i);
        EXPECT_EQ(seen.text, controls[i].text);
        EXPECT_STRCASEEQ(seen.systemClass.c_str(), controls[i].systemClass);
        EXPECT_EQ(seen.bounds.left, controls[i].bounds.left);
        EXPECT_EQ(seen.bounds.top, controls[i].bounds.top);
        EXPECT_EQ(seen.bounds.right, controls[i].bounds.right);
        EXPECT_EQ(seen.bounds.bottom, controls[i].bounds.bottom);
    }

    // One menu, "&File", holding "&Open" and "Save&As", numbered before the controls.
    HMENU bar = GetMenu(window);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    char text[64] = {};
    GetMenuStringA(bar, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_EQ(GetMenuItemCount(file), 2);
    GetMenuStringA(file, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Open");
    GetMenuStringA(file, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Save&As");
    EXPECT_LT(GetMenuItemID(file, 0), GetMenuItemID(file, 1));
    EXPECT_LT(GetMenuItemID(file, 1), static_cast<UINT>(kPlayer));
}

TEST_F(InitialiseScreenTest, ComposeReadsTheFieldsAndThePreviewDrawsEveryStar) {
    HWND window = initialiseWindow();
    typeDefaults();
    typeInto(kNumberOfStar, "12");
    typeInto(kRecordingSpeed, "7");
    typeInto(kSizeOfStar, " 3.5abc");
    click(window, kCompose);

    ASSERT_EQ(starTable.starCount, 12);
    EXPECT_EQ(simulationParameters.recordingSpeed, 7);
    EXPECT_EQ(simulationParameters.starSize, 3.5);
    EXPECT_EQ(simulationParameters.galaxyScale, 250);

    EXPECT_EQ(pixelAt(window, 3, 133), kBlack);
    EXPECT_EQ(pixelAt(window, 3, 400), kBlack);
    const auto& x = starTable.displayX;
    const auto& y = starTable.displayY;
    for (int i = 0; i < 12; ++i) {
        // A later ring's black inside may cover this one; such a star is not looked at.
        bool covered = false;
        for (int j = i + 1; j < 12; ++j) covered = covered || (std::fabs(x[i] - x[j]) < 8 && std::fabs(y[i] - y[j]) < 8);
        // Centring the galaxy may move a star past the black area, where controls cover it.
        const int left = static_cast<int>(250 + starTable.displayX[i] - 3);
        const int row = static_cast<int>(270 - starTable.displayY[i]);
        if (covered || left < 1 || left + 7 > 490 || row - 4 < 130 || row + 4 > 404) continue;
        // The ring's left edge is white, on the star's row.
        bool white = false;
        for (int dy = -1; dy <= 1 && !white; ++dy)
            for (int dx = 0; dx <= 1 && !white; ++dx) white = pixelAt(window, left + dx, row + dy) == kWhite;
        EXPECT_TRUE(white) << "star " << i;
    }
}

TEST_F(InitialiseScreenTest, HugeOrInfiniteScalesPaintWithoutFailing) {
    HWND window = initialiseWindow();
    typeDefaults();
    typeInto(kNumberOfStar, "5");
    for (const char* scale : {"1e308", "inf", "-1e300", "nan"}) {
        typeInto(kScale, scale);
        click(window, kCompose);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        EXPECT_EQ(pixelAt(window, 3, 133), kBlack) << scale;
    }
    // Such a galaxy has no place for its stars; the simulation window may still open on it.
    click(window, kSymulator);
    if (viewing()) {
        EXPECT_EQ(pixelAt(viewing(), 3, 3), kBlack);
    }
}

TEST_F(InitialiseScreenTest, SymulatorOpensOnlyOnARunnableGalaxyAndOnlyOnce) {
    HWND window = initialiseWindow();
    click(window, kSymulator);
    EXPECT_FALSE(viewing());  // nothing composed yet

    typeDefaults();
    typeInto(kNumberOfStar, "4");
    typeInto(kSizeOfStar, "0");
    click(window, kCompose);
    click(window, kSymulator);
    EXPECT_FALSE(viewing());

    typeInto(kSizeOfStar, "20");
    click(window, kCompose);
    click(window, kSymulator);
    ASSERT_TRUE(viewing());
    HWND first = viewing();
    click(window, kSymulator);
    click(window, kPlayer);
    EXPECT_EQ(viewing(), first);
    int windows = 0;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "EWindow", "Selvane"));) windows += IsWindowVisible(w) ? 1 : 0;
    EXPECT_EQ(windows, 1);
}

}  // namespace
}  // namespace Quillon::Selvane::Testing
