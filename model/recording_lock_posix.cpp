#include "model/recording_lock.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace selvane {

const SystemFile kNoSystemFile = -1;

namespace {

bool setLock(int fd, int command, short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(kRecordingLockByte);
    range.l_len = 1;
    return ::fcntl(fd, command, &range) == 0;
}

// A file system without locks has nothing to honour; any other failure is a lock in the way.
bool noLocksHere(int error) { return error == ENOLCK || error == EOPNOTSUPP; }

}  // namespace

bool lockRecording(int fd, bool exclusive) {
    const short type = exclusive ? F_WRLCK : F_RDLCK;
#if defined(F_OFD_SETLK)
    // A lock of the open file itself: closing another descriptor of the same file in this
    // process (a summary read, a second replay) does not drop it, as it would a process's lock.
    if (setLock(fd, F_OFD_SETLK, type)) return true;
    if (errno != EINVAL) return noLocksHere(errno);  // EINVAL: a kernel without them
#endif
    if (setLock(fd, F_SETLK, type)) return true;
    return noLocksHere(errno) || errno == EINVAL;
}

bool ReplaceLock::take(const std::filesystem::path& path) {
    file_ = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    // A file this program cannot open for writing, it cannot record into either.
    return file_ < 0 || lockRecording(file_, true);
}

ReplaceLock::ReplaceLock(ReplaceLock&& other) noexcept : file_(other.file_) {
    other.file_ = kNoSystemFile;
}

ReplaceLock::~ReplaceLock() { release(); }

void ReplaceLock::release() {
    if (file_ != kNoSystemFile) ::close(file_);
    file_ = kNoSystemFile;
}

}  // namespace selvane
