#include "toolkit/e_button.h"

namespace Quillon::Selvane {

HWND EButton::createNative(HWND parentHandle, const char* windowText, int identifier) {
    return createControl("BUTTON", WS_CHILD | WS_VISIBLE, parentHandle, windowText, identifier);
}

int EButton::onCommand(int code) {
    if (code == BN_CLICKED) onClick();
    return 1;
}

void EButton::onClick() {}

}  // namespace Quillon::Selvane
