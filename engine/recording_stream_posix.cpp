#include "engine/recording_stream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace selvane {

std::FILE* openRecordingExclusively(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    // The lock lasts as long as the stream; it is taken before the file is emptied.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "w+b");
    if (!file) ::close(fd);
    return file;
}

}  // namespace selvane
