#include "toolkit/e_text_field.h"

namespace Quillon::Selvane {

HWND ETextField::createNative(HWND parentHandle, const char* windowText, int identifier) {
    return createControl("EDIT", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_NOHIDESEL | ES_AUTOHSCROLL, parentHandle,
                         windowText, identifier);
}

}  // namespace Quillon::Selvane
