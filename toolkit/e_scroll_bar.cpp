#include "toolkit/e_scroll_bar.h"

#include <algorithm>

namespace Quillon::Selvane {

void EScrollBar::onHScroll(int request, int position) { scroll(request, position); }
void EScrollBar::onVScroll(int request, int position) { scroll(request, position); }
int EScrollBar::getMax() { return scrollMax; }
int EScrollBar::getMin() { return scrollMin; }

void EScrollBar::setPos(int value) {
    scrollPos = std::max(value, scrollMin);  // no upper limit: the control clamps what it shows
    if (handle) SetScrollPos(handle, SB_CTL, scrollPos, TRUE);
}

void EScrollBar::setMax(int value) {
    scrollMax = value;
    if (scrollMax <= scrollMin) scrollMax = scrollMin + 1;  // scrollMin < scrollMax, so no overflow
}

void EScrollBar::setMin(int value) {
    scrollMin = value;
    if (scrollMin >= scrollMax) scrollMin = scrollMax - 1;
}

void EScrollBar::scroll(int request, int position) {
    if (handle) SetScrollRange(handle, SB_CTL, scrollMin, scrollMax, TRUE);
    // 64-bit sums: a position set far outside the range must not overflow a step.
    const int64_t pos = scrollPos;
    switch (request) {
    case SB_LINELEFT: scrollPos = static_cast<int32_t>(std::max<int64_t>(pos - lineStep, scrollMin)); break;
    case SB_LINERIGHT: scrollPos = static_cast<int32_t>(std::min<int64_t>(pos + lineStep, scrollMax)); break;
    case SB_PAGELEFT: scrollPos = static_cast<int32_t>(std::max<int64_t>(pos - pageStep, scrollMin)); break;
    case SB_PAGERIGHT: scrollPos = static_cast<int32_t>(std::min<int64_t>(pos + pageStep, scrollMax)); break;
    case SB_THUMBPOSITION: scrollPos = position; break;
    default: break;  // tracking, Home, End and end-of-scroll keep the position
    }
    if (handle) SetScrollPos(handle, SB_CTL, scrollPos, TRUE);
    onChange(scrollPos);
}

void EScrollBar::onChange(int) {}

HWND EHScrollBar::createNative(HWND parentHandle, const char* windowText, int identifier) {
    HWND control = createControl("SCROLLBAR", WS_CHILD | WS_VISIBLE | SBS_HORZ, parentHandle, windowText, identifier);
    if (control) {
        SetScrollRange(control, SB_CTL, scrollMin, scrollMax, TRUE);
        SetScrollPos(control, SB_CTL, scrollPos, TRUE);
    }
    return control;
}

}  // namespace Quillon::Selvane
