#pragma once
#include "toolkit/e_control.h"

namespace Quillon::Selvane {

// Push button ("BUTTON"); every notification counts as handled, a click runs onClick.
class EButton : public EControl {
public:
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override;
    int onCommand(int code) override;
    virtual void onClick();
};

}  // namespace Quillon::Selvane
