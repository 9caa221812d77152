#include "toolkit/e_control.h"


namespace Quillon::Selvane {

void EControl::create(EWindow* parentWindow, int identifier) { createWindow(parentWindow, identifier, false); }

ATOM EControl::registerClass() { return 0; }

HWND EControl::createControl(const char* systemClass, DWORD style, HWND parentHandle, const char* windowText,
                             int identifier) {
    return CreateWindowExA(0, systemClass, windowText, style, 0, 0, 10, 10, parentHandle,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(identifier)), toolkitInstance, nullptr);
}

}  // namespace Quillon::Selvane
