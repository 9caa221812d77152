#include "model/recording_lock.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace selvane {

const SystemFile kNoSystemFile = INVALID_HANDLE_VALUE;

bool lockRecording(HANDLE file, bool exclusive) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(kRecordingLockByte);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(kRecordingLockByte) >> 32);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (LockFileEx(file, flags, 0, 1, 0, &at)) return true;
    // A file system without byte-range locks has nothing to honour.
    return GetLastError() == ERROR_NOT_SUPPORTED || GetLastError() == ERROR_INVALID_FUNCTION;
}

bool ReplaceLock::take(const std::filesystem::path& path) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A recorder shares its file only with readers: that is a recording in progress too.
    if (file_ == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_SHARING_VIOLATION;
    return lockRecording(file_, true);
}

ReplaceLock::ReplaceLock(ReplaceLock&& other) noexcept : file_(other.file_) {
    other.file_ = kNoSystemFile;
}

ReplaceLock::~ReplaceLock() { release(); }

void ReplaceLock::release() {
    if (file_ != kNoSystemFile) CloseHandle(file_);
    file_ = kNoSystemFile;
}

}  // namespace selvane
