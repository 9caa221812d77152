#include "toolkit/e_menu_item.h"

namespace Quillon::Selvane {

EMenuItem::EMenuItem() : EMenuBar(false) {}

void EMenuItem::addChild(EWindow*) {}
void EMenuItem::attachToWindow(EWindow*) {}

void EMenuItem::attachToMenu(EMenuBar* menu) {
    appendTo(menu, MF_STRING);
}

void ESeparator::attachToMenu(EMenuBar* menu) {
    appendTo(menu, MF_SEPARATOR);
}

}  // namespace Quillon::Selvane
