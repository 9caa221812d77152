#pragma once
// The one lock every writer of a recording honours, on every build and across them: a byte-range
// lock on a single byte, which Windows takes with LockFileEx and other systems with fcntl; Wine
// turns the former into the latter, so the Windows program under Wine and the native batch runner
// see each other's locks.
#include <cstdint>
#include <filesystem>

namespace selvane {

// The byte locked: no recording reaches it (they stay below 2 GiB), so on Windows, where a lock
// also bars reads and writes of its bytes, no frame is ever behind it; and every file lock call,
// 32-bit ones included, can name it.
constexpr int64_t kRecordingLockByte = (int64_t{1} << 31) - 1;

#if defined(_WIN32)
using SystemFile = void*;  // a HANDLE
#else
using SystemFile = int;  // a file descriptor
#endif
// What no open file is: INVALID_HANDLE_VALUE, or -1.
extern const SystemFile kNoSystemFile;

// Takes the lock on an open file without waiting: exclusively for a recorder (the file open for
// writing), shared for a replay (open for reading). It lasts until the file is closed. False when
// another program's lock (or another stream's in this one) stands in the way.
bool lockRecording(SystemFile file, bool exclusive);

// Held by a writer that replaces a file whole (a save): the file's lock, taken exclusively, keeps
// every recorder and replay of the old file out until the replacement has its name.
class ReplaceLock {
public:
    ReplaceLock() = default;
    ReplaceLock(ReplaceLock&& other) noexcept;
    ReplaceLock& operator=(const ReplaceLock&) = delete;
    ~ReplaceLock();

    // Takes the lock of the existing file `path` names. False when another program records or
    // replays it, so it must not be replaced now.
    bool take(const std::filesystem::path& path);
    // Lets the lock go before its time.
    void release();

private:
    SystemFile file_ = kNoSystemFile;  // holds the lock
};

// What replaceProblem says of a file refused so.
constexpr const char kRecordingInUse[] = "is being recorded or replayed by another program";

}  // namespace selvane
