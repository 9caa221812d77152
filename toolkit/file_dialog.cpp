#include "toolkit/file_dialog.h"

#include <commdlg.h>

#include <cwchar>
#include <string>

#include "toolkit/window_procedure.h"

namespace Quillon::Selvane {

namespace {

// The second run's command line: "PROGRAM" --file-dialog open|save OWNER RECEIVER TITLE.
const wchar_t kRequest[] = L"--file-dialog ";
const wchar_t kReceiverClass[] = L"SelvaneFileDialogAnswer";
// WM_COPYDATA's tag for a chosen path, UTF-16 without its terminator.
constexpr ULONG_PTR kChosenPath = 0x53465044;
// The second run's exit codes besides 0 (chosen or cancelled) and a fault's own code.
constexpr int kBadRequest = 2;
constexpr int kAnswerLost = 3;
constexpr int kDialogLost = 4;
// Room for the longest path the system takes, not just MAX_PATH.
constexpr DWORD kLongestPath = 32768;

const wchar_t kFaultMessage[] =
    L"The file dialog ended unexpectedly; nothing was opened or saved.\n"
    L"Under Wine it does so when a path passes 260 characters.";

std::optional<std::filesystem::path> showDialog(FileDialogPurpose purpose, const wchar_t* title, HWND owner) {
    // A longer name typed into the dialog must not overrun its buffer.
    static wchar_t name[kLongestPath];
    name[0] = L'\0';
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFile = name;
    request.nMaxFile = kLongestPath;
    request.lpstrTitle = title;
    request.Flags = OFN_NOCHANGEDIR;
    if (purpose == FileDialogPurpose::open) {
        request.Flags |= OFN_FILEMUSTEXIST;
        if (!GetOpenFileNameW(&request)) return std::nullopt;
    } else {
        request.Flags |= OFN_OVERWRITEPROMPT;
        if (!GetSaveFileNameW(&request)) return std::nullopt;
    }
    return std::filesystem::path(name);
}

// The second run ends at a fault without the system's crash report: the first reports it.
LONG WINAPI endAtFault(EXCEPTION_POINTERS* fault) {
    TerminateProcess(GetCurrentProcess(), fault->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

const wchar_t* afterProgramName(const wchar_t* line) {
    if (*line == L'"') {
        const wchar_t* end = std::wcschr(line + 1, L'"');
        line = end ? end + 1 : line + std::wcslen(line);
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    while (*line == L' ' || *line == L'\t') ++line;
    return line;
}

// Reads a window handle written in decimal and the space after it.
bool readHandle(const wchar_t*& text, HWND& window) {
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text, &end, 10);
    if (end == text || *end != L' ') return false;
    window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    text = end + 1;
    return true;
}

// The first run's end of the answer: a message-only window that keeps a path sent to it.
LRESULT CALLBACK receiverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
    auto* chosen = reinterpret_cast<std::optional<std::wstring>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    const DWORD size = data->cbData;
    if (!chosen || data->dwData != kChosenPath || size == 0 || size % sizeof(wchar_t) != 0 ||
        size >= kLongestPath * sizeof(wchar_t))
        return FALSE;
    try {
        chosen->emplace(static_cast<const wchar_t*>(data->lpData), size / sizeof(wchar_t));
    } catch (...) {
        return FALSE;  // memory run out: as if nothing was chosen
    }
    return TRUE;
}

HWND createReceiver(std::optional<std::wstring>& chosen) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    if (!GetClassInfoW(instance, kReceiverClass, &windowClass)) {
        windowClass.lpfnWndProc = receiverProcedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kReceiverClass;
        if (!RegisterClassW(&windowClass)) return nullptr;
    }
    HWND receiver = CreateWindowExW(0, kReceiverClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (receiver) SetWindowLongPtrW(receiver, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&chosen));
    return receiver;
}

// The second run, and the thread of it that shows the dialog. A fault that Wine cannot hand
// to the process's own handler ends only that thread: the process then never ends by itself,
// and its dead dialog stays on the screen until it does.
struct SecondRun {
    HANDLE process = nullptr;
    HANDLE dialogThread = nullptr;
};

// This thread's messages go on until RUN's dialog thread ends; then RUN ends too. A quit
// message ends RUN and is posted again for the program's own loop; then false.
bool dispatchUntilEnded(const SecondRun& run) {
    bool goOn = true;
    for (;;) {
        MSG message;
        while (goOn && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                goOn = false;
            } else if (!routeKeyMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (!goOn || MsgWaitForMultipleObjects(1, &run.dialogThread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0 + 1)
            break;
    }
    if (!goOn || WaitForSingleObject(run.process, 2000) == WAIT_TIMEOUT) TerminateProcess(run.process, kDialogLost);
    WaitForSingleObject(run.process, 5000);
    return goOn;
}

// Starts the second run; nothing when it cannot be started.
std::optional<SecondRun> startSecondRun(FileDialogPurpose purpose, const wchar_t* title, HWND owner, HWND receiver) {
    std::wstring program(kLongestPath, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, program.data(), kLongestPath);
    if (length == 0 || length >= kLongestPath) return std::nullopt;
    program.resize(length);
    std::wstring command = L"\"" + program + L"\" " + kRequest +
                           (purpose == FileDialogPurpose::open ? L"open " : L"save ") +
                           std::to_wstring(reinterpret_cast<uintptr_t>(owner)) + L" " +
                           std::to_wstring(reinterpret_cast<uintptr_t>(receiver)) + L" " + title;
    STARTUPINFOW start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                        &started))
        return std::nullopt;
    AllowSetForegroundWindow(started.dwProcessId);  // the dialog comes to the front
    return SecondRun{started.hProcess, started.hThread};
}

}  // namespace

std::optional<std::filesystem::path> chooseFile(FileDialogPurpose purpose, const wchar_t* title, HWND owner) {
    std::optional<std::wstring> chosen;
    HWND receiver = createReceiver(chosen);
    const auto run = receiver ? startSecondRun(purpose, title, owner, receiver) : std::nullopt;
    if (!run) {
        if (receiver) DestroyWindow(receiver);
        return showDialog(purpose, title, owner);
    }
    // Modal from the start, not only once the other run has shown its dialog.
    const bool ownerWasEnabled = owner && !EnableWindow(owner, FALSE);
    const bool goOn = dispatchUntilEnded(*run);
    DWORD exitCode = 0;
    const bool ended = GetExitCodeProcess(run->process, &exitCode) && exitCode != STILL_ACTIVE;
    CloseHandle(run->dialogThread);
    CloseHandle(run->process);
    DestroyWindow(receiver);
    if (ownerWasEnabled) EnableWindow(owner, TRUE);
    if (!goOn) return std::nullopt;
    if (!ended || exitCode != 0) {
        MessageBoxW(owner, kFaultMessage, L"Selvane", MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
    if (!chosen) return std::nullopt;
    return std::filesystem::path(*chosen);
}

std::optional<int> answerFileDialogRequest() {
    const wchar_t* request = afterProgramName(GetCommandLineW());
    const size_t switchLength = std::wcslen(kRequest);
    if (std::wcsncmp(request, kRequest, switchLength) != 0) return std::nullopt;
    request += switchLength;
    FileDialogPurpose purpose;
    if (std::wcsncmp(request, L"open ", 5) == 0) {
        purpose = FileDialogPurpose::open;
    } else if (std::wcsncmp(request, L"save ", 5) == 0) {
        purpose = FileDialogPurpose::save;
    } else {
        return kBadRequest;
    }
    request += 5;
    HWND owner = nullptr;
    HWND receiver = nullptr;
    if (!readHandle(request, owner) || !readHandle(request, receiver) || !IsWindow(receiver)) return kBadRequest;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endAtFault);
    const auto chosen = showDialog(purpose, request, IsWindow(owner) ? owner : nullptr);
    if (!chosen) return 0;
    const std::wstring& path = chosen->native();
    COPYDATASTRUCT answer{kChosenPath, static_cast<DWORD>(path.size() * sizeof(wchar_t)),
                          const_cast<wchar_t*>(path.c_str())};
    DWORD_PTR taken = FALSE;
    if (!SendMessageTimeoutW(receiver, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&answer), SMTO_ABORTIFHUNG, 10000,
                             &taken) ||
        taken != TRUE)
        return kAnswerLost;
    return 0;
}

}  // namespace Quillon::Selvane
