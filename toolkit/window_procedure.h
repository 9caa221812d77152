#pragma once
#include <windows.h>

namespace Quillon::Selvane {

// 1 from a left-button press in any toolkit window until the capturing window sees the
// release; one flag for the whole program.
extern int dragFlag;

// Class procedure of "EWindow": turns each message into an event of the window's object.
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Offers a key message of the loop to the object of the key's top-level window, as a dialog
// takes its keys before its controls do; true when the object took it and it must not be
// dispatched.
bool routeKeyMessage(const MSG& message);

// Gives a control the keyboard focus; a text field's whole text is selected, as in dialogs.
void focusControl(HWND control);

}  // namespace Quillon::Selvane
