#pragma once
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

// A control's text and bounds (x, y, width, height) in its window's client area.
struct Place {
    const char* text;
    int x, y, width, height;
};

// Builds one control the way every screen does: create, text, build action, then add it
// to the window (which numbers it) and place it.
template <class Control, class BuildAction>
Control* addControl(EWindow& window, const Place& place, BuildAction buildAction) {
    auto* control = new Control;
    control->setText(place.text);
    buildAction(control);
    window.addChild(control);
    control->setGeometry(place.x, place.y, place.width, place.height);
    return control;
}

template <class Control>
Control* addControl(EWindow& window, const Place& place) {
    return addControl<Control>(window, place, [](Control*) {});
}

// A top-level window with its caption and screen bounds; created when its first child is added.
template <class Window>
Window* newScreenWindow(const Place& place) {
    auto* window = new Window;
    window->setCaption(place.text);
    window->setGeometry(place.x, place.y, place.width, place.height);
    return window;
}

}  // namespace Quillon::Selvane
