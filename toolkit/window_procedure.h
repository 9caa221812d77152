#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// 1 from a left-button press in any toolkit window until the capturing window sees the
// release; one flag for the whole program.
extern int dragFlag;

// Class procedure of "EWindow": turns each message into an event of the window's object.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace Quillon::Selvane
