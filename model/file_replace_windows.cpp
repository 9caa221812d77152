// replaceFileContents on Windows. An existing file is replaced with ReplaceFileW, which
// carries its security descriptor, streams and creation time over to the new contents.
#include "model/file_replace.h"

#include <algorithm>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "model/file_replace_parts.h"
#include "model/recording_lock.h"

namespace selvane {

namespace fs = std::filesystem;
using namespace file_replace_parts;

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
    ReplaceLock lock;  // held until the replacement has the name
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
    // Refused here, before ReplaceFileW, which would otherwise leave a temporary of its own.
    if (!t.problem && !t.lock.take(t.path)) t.problem = kRecordingInUse;
    return t;
}

// Gives the written temporary the target's name: a plain move for a new file, or for one
// that went away since it was examined.
bool takePlace(const fs::path& temporary, const fs::path& path, bool replacing) {
    // Where the system cannot replace (Wine's ReplaceFileW refuses some files it could move
    // over), the move still replaces the contents whole; the checks before it have passed.
    if (replacing && ReplaceFileW(path.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr)) return true;
    return MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A new file beside the target under a fresh name, with the old file's attributes that carry
// over; INVALID_HANDLE_VALUE when none can be made.
HANDLE openTemporary(const Target& target, fs::path& temporary) {
    DWORD kept = FILE_ATTRIBUTE_NORMAL;
    if (target.exists) {
        const DWORD carried = target.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (carried) kept = carried;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = temporaryBeside(target.path, attempt);
        HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, kept, nullptr);
        if (file != INVALID_HANDLE_VALUE) return file;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

namespace file_replace_parts {

uint64_t processId() { return GetCurrentProcessId(); }

const char* targetProblem(const fs::path& requested, fs::path& resolved) {
    const Target t = examine(requested);
    resolved = t.path;
    return t.problem;
}

// Windows tells whether a folder can be written only by trying, which the save does.
bool folderWritable(const fs::path&) { return true; }

bool makeTemporaryFor(const fs::path& requested, fs::path& resolved, fs::path& temporary, const char*& problem) {
    const Target target = examine(requested);
    resolved = target.path;
    problem = target.problem;
    if (problem) return false;
    HANDLE file = openTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        problem = "is in a folder that cannot be written";
        return false;
    }
    return CloseHandle(file) != 0;
}

bool commitTemporary(const fs::path& temporary, const fs::path& requested, const fs::path& resolved) {
    Target target = examine(requested);
    if (target.problem || target.path != resolved) return false;
    // Another program wrote it: its bytes go to the disk before they take the name.
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(file) != 0;
    const bool closed = CloseHandle(file) != 0;
    target.lock.release();  // Wine moves nothing over a file open anywhere
    return flushed && closed && takePlace(temporary, target.path, target.exists);
}

}  // namespace file_replace_parts

bool replaceFileContents(const fs::path& requested, const std::string& bytes) {
    Target target = examine(requested);
    if (target.problem) return false;
    fs::path temporary;
    HANDLE file = openTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = writeAll(file, bytes);
    const bool closed = CloseHandle(file) != 0;
    // Wine moves nothing over a file open anywhere, whatever it shares, so the lock goes
    // first; a recorder starting just then still shares its file only with readers, and
    // the move fails on that.
    target.lock.release();
    if (written && closed && takePlace(temporary, target.path, target.exists)) return true;
    DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace selvane
