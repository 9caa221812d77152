#pragma once
#include <windows.h>

#include "screens/initialise/initialise_machines.h"

namespace Quillon::Selvane::Initialise {

// Reads the seven fields, composes a new galaxy and repaints the preview.
void composeGalaxy();
// The preview: the galaxy from above, a ring per star and a line for its velocity.
void paintPreview(HWND window);
// Tab and Shift+Tab move through the fields and buttons in screen order; Enter in a field
// composes. True for the keys the window takes.
bool takeKey(int virtualKey, bool down);
// Closing the parameter window ends the program.
void closeProgram();

}  // namespace Quillon::Selvane::Initialise
