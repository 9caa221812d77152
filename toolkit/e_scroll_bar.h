#pragma once
#include <cstdint>

#include "toolkit/e_control.h"

namespace Quillon::Selvane {

// Keeps range, position and steps and carries out scroll requests; the position moves
// only on line, page and thumb-release requests, and onChange hears every request.
class EScrollBar : public EControl {
public:
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override = 0;
    void onHScroll(int request, int position) override;
    void onVScroll(int request, int position) override;
    virtual int getMax();
    virtual int getMin();
    virtual void setPos(int value);
    virtual void setMax(int value);
    virtual void setMin(int value);
    virtual void scroll(int request, int position);
    virtual void onChange(int position);

    // Always scrollMin < scrollMax.
    int32_t scrollMin = 0;
    int32_t scrollMax = 100;
    int32_t scrollPos = 0;
    int32_t lineStep = 1;
    int32_t pageStep = 10;
};

// Horizontal scroll-bar control ("SCROLLBAR").
class EHScrollBar : public EScrollBar {
public:
    HWND createNative(HWND parentHandle, const char* windowText, int identifier) override;
};

}  // namespace Quillon::Selvane
