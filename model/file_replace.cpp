#include "model/file_replace.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace selvane {
namespace {

namespace fs = std::filesystem;

std::atomic<WriteGate> writeGate{nullptr};

bool gateAllows(size_t block) {
    const WriteGate gate = writeGate.load();
    return gate == nullptr || gate(block);
}

// A short name of fixed length, so the temporary fits wherever the target's name does.
fs::path temporaryBeside(const fs::path& target, int attempt) {
    static std::atomic<uint64_t> counter{0};
    uint64_t x = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL) ^ static_cast<uint64_t>(attempt);
#ifdef _WIN32
    x ^= static_cast<uint64_t>(GetCurrentProcessId()) << 32;
#else
    x ^= static_cast<uint64_t>(::getpid()) << 32;
#endif
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ULL;
    x ^= x >> 29;
    char name[] = ".sv00000000.tmp";
    for (int i = 0; i < 8; ++i) name[3 + i] = "0123456789abcdef"[(x >> (4 * i)) & 15];
    const fs::path parent = target.parent_path();
    return parent.empty() ? fs::path(name) : parent / name;
}

constexpr int kNameAttempts = 64;

}  // namespace

void setWriteGate(WriteGate gate) { writeGate.store(gate); }

#ifdef _WIN32

namespace {

bool writeAll(HANDLE file, const std::string& bytes) {
    size_t block = 0;
    for (size_t done = 0; done < bytes.size(); ++block) {
        if (!gateAllows(block)) return false;
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kReplaceBlockBytes));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return FlushFileBuffers(file) != 0;
}

// The standard library does not follow links here; the system names the final file.
bool resolveReparsePoint(const fs::path& requested, fs::path& resolved) {
    const DWORD attributes = GetFileAttributesW(requested.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        resolved = requested;
        return true;
    }
    HANDLE target = CreateFileW(requested.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (target == INVALID_HANDLE_VALUE) return false;
    std::wstring name(32768, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(target, &name[0], static_cast<DWORD>(name.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(target);
    if (length == 0 || length >= name.size()) return false;
    name.resize(length);
    resolved = fs::path(name);
    return true;
}

// What is about to be replaced; `problem` is null when it may be.
struct Target {
    fs::path path;
    bool exists = false;
    DWORD attributes = 0;
    const char* problem = nullptr;
};

Target examine(const fs::path& requested) {
    Target t;
    if (!resolveReparsePoint(requested, t.path)) {
        t.problem = "is a link that cannot be followed";
        return t;
    }
    t.attributes = GetFileAttributesW(t.path.c_str());
    t.exists = t.attributes != INVALID_FILE_ATTRIBUTES;
    if (!t.exists) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) t.problem = "has no folder to be made in";
        return t;
    }
    if (t.attributes & FILE_ATTRIBUTE_READONLY) t.problem = "is read-only";
    if (t.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE))
        t.problem = "is not a regular file";
    if (t.problem) return t;
    HANDLE old = CreateFileW(t.path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (old == INVALID_HANDLE_VALUE) {
        t.problem = "cannot be opened";
        return t;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(old) != FILE_TYPE_DISK || !GetFileInformationByHandle(old, &info))
        t.problem = "is not a regular file";
    else if (info.nNumberOfLinks != 1)
        t.problem = "has more than one name (hard links)";
    CloseHandle(old);
    return t;
}

// Windows tells whether a folder can be written only by trying, which the save does.
bool folderWritable(const fs::path&) { return true; }

}  // namespace

bool replaceFileContents(const fs::path& requested, const std::string& bytes) {
    const Target target = examine(requested);
    if (target.problem) return false;
    const fs::path& path = target.path;
    DWORD kept = FILE_ATTRIBUTE_NORMAL;
    if (target.exists) {
        const DWORD carried = target.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (carried) kept = carried;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path temporary = temporaryBeside(path, attempt);
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return false;
        }
        const bool written = writeAll(file, bytes);
        const bool closed = CloseHandle(file) != 0;
        if (written && closed &&
            MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        DeleteFileW(temporary.c_str());
        return false;
    }
    return false;
}

#else

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
    bool exists = false;
    struct stat old {};
    const char* problem = nullptr;
};

Target examine(const fs::path& requested) {
    Target t;
    if (!resolveLinks(requested, t.path)) {
        t.problem = "is a link that cannot be followed";
        return t;
    }
    t.exists = ::lstat(t.path.c_str(), &t.old) == 0;
    if (!t.exists) {
        if (errno != ENOENT) t.problem = "has no folder to be made in";
    } else if (!S_ISREG(t.old.st_mode)) {
        t.problem = "is not a regular file";
    } else if (t.old.st_nlink != 1) {
        t.problem = "has more than one name (hard links)";
    } else if (::access(t.path.c_str(), W_OK) != 0 || (t.old.st_mode & 0222) == 0) {
        // access() answers yes to root for any file; the mode bits still mark it read-only.
        t.problem = "is read-only";
    }
    return t;
}

bool folderWritable(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

}  // namespace

bool replaceFileContents(const fs::path& requested, const std::string& bytes) {
    const Target target = examine(requested);
    if (target.problem) return false;
    const fs::path& path = target.path;
    const bool exists = target.exists;
    const struct stat& old = target.old;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const fs::path temporary = temporaryBeside(path, attempt);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return false;
        }
        bool ok = true;
        if (exists) {
            // Owner first: changing it may clear set-id bits the mode then restores. Only
            // root may give a file away, so a failure there is not a reason to stop.
            if (old.st_uid != ::geteuid() || old.st_gid != ::getegid())
                if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
            ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        }
        ok = ok && writeAll(fd, bytes);
        ok = (::close(fd) == 0) && ok;
        if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
        ::unlink(temporary.c_str());
        return false;
    }
    return false;
}

#endif

std::string replaceProblem(const fs::path& path) {
    const Target t = examine(path);
    if (t.problem) return t.problem;
    fs::path folder = t.path.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "has no folder to be made in";
    if (!folderWritable(folder)) return "is in a folder that cannot be written";
    return std::string();
}

}  // namespace selvane
