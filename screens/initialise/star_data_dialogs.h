#pragma once
#include <filesystem>
#include <optional>

namespace Quillon::Selvane {

class EWindow;

// The window the file dialogs belong to (they keep it disabled while open); may be none.
extern EWindow* dialogOwner;

// The system's open and save dialogs; the chosen full path, or nothing on cancel.
// Neither moves the current directory, where "Recorder.wrk" lives.
std::optional<std::filesystem::path> chooseOpenPath();
std::optional<std::filesystem::path> chooseSavePath();

// File > Open: loads a galaxy file; a file that cannot be read changes nothing.
void openStarData();
// File > Save As: writes the galaxy to a file of the user's choice.
void saveStarDataAs();

}  // namespace Quillon::Selvane
