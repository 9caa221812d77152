#pragma once
// Each screen widget is a class of its own that replaces one event and hands it to its
// screen's entry, e.g.
//   class GO : public ForwardClick<&cameraForward> {};
#include "toolkit/e_button.h"
#include "toolkit/e_menu_item.h"
#include "toolkit/e_scroll_bar.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

template <void (*Entry)()>
class ForwardClick : public EButton {
public:
    void onClick() override { Entry(); }
};

template <void (*Entry)()>
class ForwardSelect : public EMenuItem {
public:
    void onSelect() override { Entry(); }
};

template <void (*Entry)(int)>
class ForwardChange : public EHScrollBar {
public:
    void onChange(int position) override { Entry(position); }
};

// A screen's top-level window: closing, painting and, where the screen takes keys, keys go
// to the screen.
template <void (*DestroyEntry)(), void (*PaintEntry)(HWND), bool (*KeyEntry)(int, bool) = nullptr>
class ForwardWindow : public EWindow {
public:
    void onDestroy() override { DestroyEntry(); }
    void onPaint(HWND window) override { PaintEntry(window); }
    bool onKey(int virtualKey, bool down) override { return KeyEntry && KeyEntry(virtualKey, down); }
};

}  // namespace Quillon::Selvane
