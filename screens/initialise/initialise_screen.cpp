#include "screens/initialise/initialise_screen.h"

#include <algorithm>
#include <vector>

#include "engine/pixel.h"
#include "model/compose.h"
#include "screens/initialise/initialise_gui.h"
#include "screens/layout.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "toolkit/e_menu_bar.h"
#include "toolkit/window_procedure.h"

namespace Quillon::Selvane::Initialise {

namespace {

GUI::XGUI* window = nullptr;  // set once the screen is built; the preview draws only then

// The fields Compose reads.
GUI::recording_speed* recordingSpeedField = nullptr;
GUI::light_speed* lightSpeedField = nullptr;
GUI::speed_distribution* speedDistributionField = nullptr;
GUI::scale* scaleField = nullptr;
GUI::nomber_of_star* numberOfStarField = nullptr;
GUI::size_of_star* sizeOfStarField = nullptr;
GUI::max_speed* maxSpeedField = nullptr;

// Where Tab goes: the fields from the top left, row by row, then the buttons left to right.
std::vector<EWindow*> tabOrder;

// The preview: a top view with the origin at pixel (250, 270), one pixel per length unit
// and each velocity drawn as the way the star goes in 50 steps.
constexpr double kOriginX = 250;
constexpr double kOriginY = 270;
constexpr double kRingRadius = 3;
constexpr double kVelocityScale = 50;
constexpr RECT kPreviewArea{0, 130, 490, 404};

void drawStar(HDC dc, double x, double y, double vx, double vy) {
    using selvane::toPixel;
    const double cx = kOriginX + x;
    const double cy = kOriginY - y;
    int32_t left, top, right, bottom;
    if (toPixel(cx - kRingRadius, left) && toPixel(cy - kRingRadius, top) && toPixel(cx + kRingRadius, right) &&
        toPixel(cy + kRingRadius, bottom))
        Ellipse(dc, left, top, right, bottom);
    int32_t fromX, fromY, toX, toY;
    if (toPixel(cx, fromX) && toPixel(cy, fromY) && toPixel(cx + kVelocityScale * vx, toX) &&
        toPixel(cy - kVelocityScale * vy, toY)) {
        MoveToEx(dc, fromX, fromY, nullptr);
        LineTo(dc, toX, toY);
    }
}

}  // namespace

void buildInitialiseScreen() { fire(screenGate, kScreenGate, Event::Build); }

bool buildWindow(StateMachine&) {
    auto* screen = newScreenWindow<GUI::XGUI>({"Initialise", 0, 0, 503, 495});
    screen->setMenuBar(new EMenuBar);
    auto* file = new GUI::_File;
    file->setText("&File");
    auto* open = new GUI::_File_Open;
    open->setText("&Open");
    file->addChild(open);
    auto* saveAs = new GUI::_File_SaveAs;
    saveAs->setText("Save&As");
    file->addChild(saveAs);
    screen->menuBar->addChild(file);

    auto& w = *screen;
    auto* player = addControl<GUI::player>(w, {"Player", 382, 408, 104, 31});
    auto* symulator = addControl<GUI::symulator>(w, {"Symulator", 282, 408, 100, 31});
    auto* compose = addControl<GUI::compose>(w, {"Compose", 181, 408, 101, 31});
    recordingSpeedField = addControl<GUI::recording_speed>(w, {"5", 139, 411, 35, 28});
    addControl<GUI::LABEL13>(w, {"Recording Speed", 1, 411, 134, 30});
    lightSpeedField = addControl<GUI::light_speed>(w, {"30", 380, 95, 93, 33});
    addControl<GUI::LABEL10>(w, {"Light Speed", 271, 97, 97, 28});
    speedDistributionField = addControl<GUI::speed_distribution>(w, {"0.5", 160, 96, 93, 33});
    addControl<GUI::LABEL8>(w, {"Speed Distribution", 1, 95, 148, 32});
    scaleField = addControl<GUI::scale>(w, {"250", 379, 52, 94, 33});
    addControl<GUI::LABEL6>(w, {"Scale", 273, 53, 94, 28});
    numberOfStarField = addControl<GUI::nomber_of_star>(w, {"128", 162, 53, 92, 32});
    addControl<GUI::LABEL4>(w, {"Number of Star", 1, 51, 147, 33});
    sizeOfStarField = addControl<GUI::size_of_star>(w, {"20", 379, 8, 96, 33});
    addControl<GUI::LABEL2>(w, {"Size of Star", 277, 9, 90, 32});
    maxSpeedField = addControl<GUI::max_speed>(w, {"0.4", 162, 8, 92, 35});
    addControl<GUI::LABEL0>(w, {"Max Speed", 1, 8, 147, 35});

    tabOrder = {maxSpeedField, sizeOfStarField, numberOfStarField, scaleField, speedDistributionField,
                lightSpeedField, recordingSpeedField, compose, symulator, player};

    screen->show(SW_SHOWNORMAL);
    window = screen;
    dialogOwner = screen;
    return true;
}

void composeGalaxy() {
    if (!window) return;
    selvane::FieldTexts fields;
    fields.recordingSpeed = recordingSpeedField->getText();
    fields.lightSpeed = lightSpeedField->getText();
    fields.speedDistribution = speedDistributionField->getText();
    fields.scale = scaleField->getText();
    fields.numberOfStar = numberOfStarField->getText();
    fields.sizeOfStar = sizeOfStarField->getText();
    fields.maxSpeed = maxSpeedField->getText();
    settleStep();
    selvane::composeGalaxy(fields, GetTickCount() - startTickCount, randomGenerator, starTable, simulationParameters);
    window->repaint();
}

void paintPreview(HWND handle) {
    if (!starTable.present || !window) return;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle, &paint);
    if (!dc) return;
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, kPreviewArea.left, kPreviewArea.top, kPreviewArea.right, kPreviewArea.bottom);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    const auto& t = starTable;
    const size_t count = std::min({static_cast<size_t>(std::max(t.starCount, 0)), t.displayX.size(),
                                   t.displayY.size(), t.velX.size(), t.velY.size()});
    for (size_t i = 0; i < count; ++i) drawStar(dc, t.displayX[i], t.displayY[i], t.velX[i], t.velY[i]);
    EndPaint(handle, &paint);
}

bool takeKey(int virtualKey, bool down) {
    if (virtualKey != VK_TAB && virtualKey != VK_RETURN) return false;
    const HWND focus = GetFocus();
    const auto focused = std::find_if(tabOrder.begin(), tabOrder.end(), [&](EWindow* w) { return w->handle == focus; });
    const size_t at = static_cast<size_t>(focused - tabOrder.begin());
    if (virtualKey == VK_RETURN) {
        const bool inField = at < 7;  // the seven fields come first
        if (inField && down) composeGalaxy();
        return inField;
    }
    if (down && !tabOrder.empty()) {
        const size_t count = tabOrder.size();
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        const size_t next = at == count ? (backwards ? count - 1 : 0) : (backwards ? at + count - 1 : at + 1) % count;
        focusControl(tabOrder[next]->handle);
    }
    return true;
}

void closeProgram() { PostQuitMessage(0); }

}  // namespace Quillon::Selvane::Initialise
