#include "toolkit/e_menu.h"

#include "toolkit/e_menu_item.h"

namespace Quillon::Selvane {

void EMenu::attachToWindow(EWindow*) {}

void EMenu::addSeparator() { addChild(new ESeparator); }

}  // namespace Quillon::Selvane
