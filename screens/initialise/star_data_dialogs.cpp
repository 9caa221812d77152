#include "screens/initialise/star_data_dialogs.h"

#include <windows.h>
#include <commdlg.h>

#include "model/star_data_file.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "toolkit/e_window.h"

namespace Quillon::Selvane {

EWindow* dialogOwner = nullptr;

namespace {

// Wide texts, so the titles read right and any path opens on every system locale.
const wchar_t kOpenTitle[] = L"\x661f\x306e\x30c7\x30fc\x30bf\x3092\x8aad\x307f\x8fbc\x3080";  // 星のデータを読み込む
const wchar_t kSaveTitle[] = L"\x661f\x306e\x30c7\x30fc\x30bf\x3092\x4fdd\x5b58\x3059\x308b";  // 星のデータを保存する

// Both dialogs alike: all files listed, the dialog's own folder, an empty name each time.
std::optional<std::filesystem::path> choosePath(const wchar_t* title, DWORD flags,
                                                BOOL(WINAPI* dialog)(LPOPENFILENAMEW)) {
    // Room for the longest path the system takes, not just MAX_PATH: a longer name typed into
    // the dialog must not overrun its buffer.
    static wchar_t name[32768];
    name[0] = L'\0';
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialogOwner ? dialogOwner->handle : nullptr;
    request.lpstrFile = name;
    request.nMaxFile = static_cast<DWORD>(sizeof name / sizeof name[0]);
    request.lpstrTitle = title;
    request.Flags = flags | OFN_NOCHANGEDIR;
    if (!dialog(&request)) return std::nullopt;
    return std::filesystem::path(name);
}

}  // namespace

std::optional<std::filesystem::path> chooseOpenPath() {
    return choosePath(kOpenTitle, OFN_FILEMUSTEXIST, GetOpenFileNameW);
}

std::optional<std::filesystem::path> chooseSavePath() {
    return choosePath(kSaveTitle, OFN_OVERWRITEPROMPT, GetSaveFileNameW);
}

void openStarData() {
    if (auto path = chooseOpenPath()) {
        settleStep();
        selvane::loadStarData(*path, starTable, simulationParameters);
    }
}

void saveStarDataAs() {
    if (auto path = chooseSavePath()) {
        settleStep();
        selvane::saveStarData(*path, starTable, simulationParameters);
    }
}

}  // namespace Quillon::Selvane
