// replaceFileContents on POSIX systems: the new contents take the old file's owner and mode
// before they take its name.
#include "model/file_replace.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/file_replace_parts.h"
#include "model/recording_lock.h"

namespace selvane {

namespace fs = std::filesystem;
using namespace file_replace_parts;

namespace {

// Follows symbolic links to the name the contents live under; a link to a missing file
// gives that file's name, so the save creates it. Gives up on a loop as the system does.
bool resolveLinks(fs::path path, fs::path& resolved) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(path, ec);
        if (status.type() == fs::file_type::not_found) {
            resolved = path;
            return true;
        }
        if (ec) return false;
        if (status.type() != fs::file_type::symlink) {
            resolved = path;
            return true;
        }
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) return false;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return false;
}

bool writeAll(int fd, const std::string& bytes) {
    size_t block = 0;
    for (size_t done = 0; done < bytes.size(); ++block) {
        if (!gateAllows(block)) return false;
        const size_t chunk = std::min(bytes.size() - done, kReplaceBlockBytes);
        const ssize_t written = ::write(fd, bytes.data() + done, chunk);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return ::fsync(fd) == 0;
}

// What is about to be replaced; `problem` is null when it may be.
struct Target {
    fs::path path;
    struct stat old {};  // as lstat found it, when it exists
    bool exists = false;
    const char* problem = nullptr;
    ReplaceLock lock;  // held until the replacement has the name
};

Target examine(const fs::path& requested) {
    Target t;
    const bool followed = resolveLinks(requested, t.path);
    t.exists = followed && ::lstat(t.path.c_str(), &t.old) == 0;
    if (!followed) {
        t.problem = "is a link that cannot be followed";
    } else if (!t.exists) {
        if (errno != ENOENT) t.problem = "has no folder to be made in";
    } else if (!S_ISREG(t.old.st_mode)) {
        t.problem = "is not a regular file";
    } else if (t.old.st_nlink != 1) {
        t.problem = "has more than one name (hard links)";
    } else if (::access(t.path.c_str(), W_OK) != 0 || (t.old.st_mode & 0222) == 0) {
        // access() answers yes to root for any file; the mode bits still mark it read-only.
        t.problem = "is read-only";
    } else if (!t.lock.take(t.path)) {
        t.problem = kRecordingInUse;
    }
    return t;
}

// Owner first: changing it may clear set-id bits the mode then restores. Only root may give
// a file away, so a failure there is not a reason to stop.
bool carryOwnerAndMode(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// A new file beside the target under a fresh name, with the old file's owner and mode; -1
// when none can be made.
int openTemporary(const Target& target, fs::path& temporary) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = temporaryBeside(target.path, attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, target.exists ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        if (!target.exists || carryOwnerAndMode(fd, target.old)) return fd;
        ::close(fd);
        ::unlink(temporary.c_str());
        return -1;
    }
    return -1;
}

}  // namespace

namespace file_replace_parts {

uint64_t processId() { return static_cast<uint64_t>(::getpid()); }

const char* targetProblem(const fs::path& requested, fs::path& resolved) {
    const Target t = examine(requested);
    resolved = t.path;
    return t.problem;
}

bool folderWritable(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

bool makeTemporaryFor(const fs::path& requested, fs::path& resolved, fs::path& temporary, const char*& problem) {
    const Target target = examine(requested);
    resolved = target.path;
    problem = target.problem;
    if (problem) return false;
    const int fd = openTemporary(target, temporary);
    if (fd < 0) {
        problem = "is in a folder that cannot be written";
        return false;
    }
    return ::close(fd) == 0;
}

bool commitTemporary(const fs::path& temporary, const fs::path& requested, const fs::path& resolved) {
    const Target target = examine(requested);
    if (target.problem || target.path != resolved) return false;
    // Another program wrote it: its bytes go to the disk before they take the name.
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat written {};
    bool ok = ::fstat(fd, &written) == 0 && S_ISREG(written.st_mode) && written.st_nlink == 1;
    if (ok && target.exists) ok = carryOwnerAndMode(fd, target.old);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok && ::rename(temporary.c_str(), target.path.c_str()) == 0;
}

}  // namespace file_replace_parts

bool replaceFileContents(const fs::path& requested, const std::string& bytes) {
    const Target target = examine(requested);
    if (target.problem) return false;
    fs::path temporary;
    const int fd = openTemporary(target, temporary);
    if (fd < 0) return false;
    bool ok = writeAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(temporary.c_str(), target.path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace selvane
