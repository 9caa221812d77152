#pragma once
#include "toolkit/e_control.h"

namespace Quillon::Selvane {

// One-line edit field ("EDIT") with a border; scrolls sideways and keeps its selection shown.
class ETextField : public EControl {
public:
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override;
};

}  // namespace Quillon::Selvane
