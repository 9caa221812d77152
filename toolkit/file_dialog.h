#pragma once
#include <windows.h>

#include <filesystem>
#include <optional>

namespace Quillon::Selvane {

enum class FileDialogPurpose { open, save };

// The system's open or save dialog, modal to OWNER (may be none): all files listed, the
// dialog's own folder, an empty name each time; Open takes only an existing file, Save asks
// before replacing one, and neither moves the current directory. The chosen full path, or
// nothing on cancel.
//
// The dialog runs in a second run of this program, which sends the path back: a fault in
// the system's dialog code (Wine's ends the process at paths past 260 characters) then ends
// only that run, and this one reports it and goes on. The window's messages go on meanwhile,
// as under a modal dialog. Where no second run can be started, the dialog runs here.
std::optional<std::filesystem::path> chooseFile(FileDialogPurpose purpose, const wchar_t* title, HWND owner);

// In that second run: shows the dialog its command line asks for, sends the choice back and
// gives the exit code. Nothing when the command line asks for no dialog.
std::optional<int> answerFileDialogRequest();

}  // namespace Quillon::Selvane
