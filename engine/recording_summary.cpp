#include "engine/recording_summary.h"

#include <sys/stat.h>

#include <cstdio>

#include "engine/recording_layout.h"
#include "model/star_table.h"

namespace selvane {

namespace {

// The length of an open file: asked of the file system for a regular file, so a large or
// sparse recording costs nothing to measure; anything else (a pipe, a device) is read through.
bool measureLength(std::FILE* file, int64_t& length) {
#if defined(_WIN32)
    struct _stat64 status;
    if (_fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFREG)) {
#else
    struct stat status;
    if (fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode)) {
#endif
        length = static_cast<int64_t>(status.st_size);
        return true;
    }
    length = 0;
    char buffer[1 << 16];
    std::rewind(file);
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) length += static_cast<int64_t>(n);
    return !std::ferror(file);
}

}  // namespace

RecordingSummary inspectRecording(const std::string& path) {
    RecordingSummary summary;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return summary;
    unsigned char header[recording::kHeaderBytes] = {};
    const size_t got = std::fread(header, 1, sizeof header, file);
    int64_t size = 0;
    summary.readable = !std::ferror(file) && measureLength(file, size);
    std::fclose(file);
    if (!summary.readable) return summary;
    summary.bytes = size;
    if (got < sizeof header) return summary;  // too short to hold a header: no stars, no frames

    summary.starCount = recording::getInt32(header + recording::kStarCountOffset);
    summary.headerFrames = recording::getInt32(header + recording::kFrameCountOffset);
    const int64_t frameBytes = recording::frameBytes(summary.starCount);
    const int64_t body = size - recording::kHeaderBytes;
    if (summary.starCount > 0) {
        summary.framesInFile = body / frameBytes;
        summary.consistent = summary.headerFrames == summary.framesInFile && body % frameBytes == 0;
    } else {
        // Empty frames take no bytes, so any count is as good as the file can tell.
        summary.consistent = summary.starCount == 0 && summary.headerFrames >= 0 && body == 0;
        summary.framesInFile = summary.consistent ? summary.headerFrames : 0;
    }
    return summary;
}

std::string describeDamage(const std::string& path, const RecordingSummary& summary) {
    if (!summary.readable) return "cannot read recording " + path;
    if (summary.bytes < recording::kHeaderBytes)
        return "recording " + path + " has no header: it holds " + std::to_string(summary.bytes) + " of the " +
               std::to_string(recording::kHeaderBytes) + " bytes a recording begins with";
    if (summary.starCount < 0)
        return "recording " + path + " is damaged: its header counts " + std::to_string(summary.starCount) + " stars";
    if (summary.starCount > kMaxStars)
        return "recording " + path + " has " + std::to_string(summary.starCount) + " stars, more than the " +
               std::to_string(kMaxStars) + " a galaxy may have";
    if (!summary.consistent)
        return "recording " + path + " is cut: its header counts " + std::to_string(summary.headerFrames) +
               " frames and it holds " + std::to_string(summary.framesInFile) +
               (summary.starCount > 0 && (summary.bytes - recording::kHeaderBytes) %
                                                 recording::frameBytes(summary.starCount) !=
                                             0
                    ? " and part of another"
                    : "");
    return "";
}

}  // namespace selvane
