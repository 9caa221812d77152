#pragma once
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

// A child control: a window of a system class, so it carries no object pointer.
class EControl : public EWindow {
public:
    void create(EWindow* parentWindow, int identifier) override;
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override = 0;
    ATOM registerClass() override;

protected:
    // The common creation call of every control: at (0, 0), 10 x 10, visible.
    static HWND createControl(const char* systemClass, DWORD style, HWND parentHandle, const char* windowText,
                              int identifier);
};

}  // namespace Quillon::Selvane
