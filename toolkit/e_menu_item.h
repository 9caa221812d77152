#pragma once
#include "toolkit/e_menu_bar.h"

namespace Quillon::Selvane {

// A command of a drop-down menu; choosing it runs onSelect.
class EMenuItem : public EMenuBar {
public:
    EMenuItem();
    void addChild(EWindow* entry) override;
    void attachToWindow(EWindow* window) override;
    void attachToMenu(EMenuBar* menu) override;
};

// A separator line of a drop-down menu.
class ESeparator : public EMenuItem {
public:
    void attachToMenu(EMenuBar* menu) override;
};

}  // namespace Quillon::Selvane
