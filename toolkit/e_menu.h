#pragma once
#include "toolkit/e_menu_bar.h"

namespace Quillon::Selvane {

// A drop-down menu: attaches through the menu it is added to, never to a window directly.
class EMenu : public EMenuBar {
public:
    void attachToWindow(EWindow* window) override;
    void addSeparator() override;
};

}  // namespace Quillon::Selvane
