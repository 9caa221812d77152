#include "engine/recording_stream.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>

namespace selvane {

std::FILE* openRecordingExclusively(const std::string& path) {
    // Sharing only reading keeps every other writer out for as long as the stream is open.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    if (!SetEndOfFile(handle)) {  // a handle just opened stands at the start
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "w+b");
    if (!file) _close(fd);
    return file;
}

}  // namespace selvane
