#include "toolkit/e_label.h"

namespace Quillon::Selvane {

HWND ELabel::createNative(HWND parentHandle, const char* windowText, int identifier) {
    return createControl("STATIC", WS_CHILD | WS_VISIBLE, parentHandle, windowText, identifier);
}

}  // namespace Quillon::Selvane
