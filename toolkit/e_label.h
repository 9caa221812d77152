#pragma once
#include "toolkit/e_control.h"

namespace Quillon::Selvane {

// Left-aligned static text ("STATIC").
class ELabel : public EControl {
public:
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override;
};

}  // namespace Quillon::Selvane
