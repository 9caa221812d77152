#include "engine/recording_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include "model/recording_lock.h"

namespace selvane {

namespace {

std::FILE* streamOf(int fd, const char* mode) {
    std::FILE* file = ::fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

}  // namespace

std::FILE* openRecordingExclusively(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // The lock lasts as long as the stream; it is taken before the file is emptied.
    if (!lockRecording(fd, true) || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return nullptr;
    }
    return streamOf(fd, "w+b");
}

std::FILE* openRecordingForReplay(const std::string& path, bool& shared) {
    // Not waiting for a writer when the name is a fifo; reads then wait as usual.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    shared = lockRecording(fd, false);
    return streamOf(fd, "rb");
}

bool shareRecording(std::FILE* replay) { return lockRecording(::fileno(replay), false); }

std::FILE* cutRecording(std::FILE* stream, int64_t length) {
    // A second descriptor of the same open file keeps its lock while the stream is closed.
    const int kept = ::fcntl(::fileno(stream), F_DUPFD_CLOEXEC, 0);
    std::fclose(stream);
    if (kept < 0) return nullptr;
    (void)!::ftruncate(kept, static_cast<off_t>(length));
    return streamOf(kept, "r+b");
}

}  // namespace selvane
