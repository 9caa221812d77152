#include "toolkit/e_menu_item.h"

namespace Quillon::Selvane {

EMenuItem::EMenuItem() : EMenuBar(false) {}

void EMenuItem::addChild(EWindow*) {}
void EMenuItem::attachToWindow(EWindow*) {}

void EMenuItem::attachToMenu(EMenuBar* menu) {
    if (!menu || !joinMenu(menu)) return;
    AppendMenuA(menu->menuHandle, MF_STRING, static_cast<UINT_PTR>(commandId), text);
    DrawMenuBar(ownerWindow->handle);
}

void ESeparator::attachToMenu(EMenuBar* menu) {
    if (!menu || !joinMenu(menu)) return;
    AppendMenuA(menu->menuHandle, MF_SEPARATOR, 0, text);
    DrawMenuBar(ownerWindow->handle);
}

}  // namespace Quillon::Selvane
