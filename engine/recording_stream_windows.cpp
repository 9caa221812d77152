#include "engine/recording_stream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

#include "model/recording_lock.h"

namespace selvane {

namespace {

std::FILE* streamOf(HANDLE handle, int flags, const char* mode) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, mode);
    if (!file) _close(fd);
    return file;
}

}  // namespace

std::FILE* openRecordingExclusively(const std::string& path) {
    // Sharing only reading also keeps every other Windows writer out while the stream is open,
    // whether it honours the lock or not.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    // The lock is taken before the file is emptied; a handle just opened stands at the start.
    if (!lockRecording(handle, true) || !SetEndOfFile(handle)) {
        CloseHandle(handle);
        return nullptr;
    }
    return streamOf(handle, _O_RDWR, "w+b");
}

std::FILE* openRecordingForReplay(const std::string& path, bool& shared) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    shared = lockRecording(handle, false);
    return streamOf(handle, _O_RDONLY, "rb");
}

bool shareRecording(std::FILE* replay) {
    return lockRecording(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(replay))), false);
}

std::FILE* cutRecording(std::FILE* stream, int64_t length) {
    // A second handle of the same open file keeps its lock while the stream is closed.
    HANDLE kept = nullptr;
    const HANDLE self = GetCurrentProcess();
    const bool duplicated = DuplicateHandle(self, reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))), self,
                                            &kept, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
    std::fclose(stream);
    if (!duplicated) return nullptr;
    LARGE_INTEGER at;
    at.QuadPart = length;
    if (SetFilePointerEx(kept, at, nullptr, FILE_BEGIN)) SetEndOfFile(kept);
    return streamOf(kept, _O_RDWR, "r+b");
}

}  // namespace selvane
