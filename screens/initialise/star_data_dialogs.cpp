#include "screens/initialise/star_data_dialogs.h"

#include "model/star_data_file.h"
#include "screens/program_data.h"
#include "screens/running_step.h"
#include "toolkit/e_window.h"
#include "toolkit/file_dialog.h"

namespace Quillon::Selvane {

EWindow* dialogOwner = nullptr;

namespace {

// Wide texts, so the titles read right and any path opens on every system locale.
const wchar_t kOpenTitle[] = L"\x661f\x306e\x30c7\x30fc\x30bf\x3092\x8aad\x307f\x8fbc\x3080";  // 星のデータを読み込む
const wchar_t kSaveTitle[] = L"\x661f\x306e\x30c7\x30fc\x30bf\x3092\x4fdd\x5b58\x3059\x308b";  // 星のデータを保存する

HWND ownerHandle() { return dialogOwner ? dialogOwner->handle : nullptr; }

}  // namespace

std::optional<std::filesystem::path> chooseOpenPath() {
    return chooseFile(FileDialogPurpose::open, kOpenTitle, ownerHandle());
}

std::optional<std::filesystem::path> chooseSavePath() {
    return chooseFile(FileDialogPurpose::save, kSaveTitle, ownerHandle());
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
