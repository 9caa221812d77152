#include "engine/recording_summary.h"

#include <cstdio>

#include "engine/recording_layout.h"

namespace selvane {

RecordingSummary inspectRecording(const std::string& path) {
    RecordingSummary summary;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return summary;
    unsigned char header[recording::kHeaderBytes] = {};
    const size_t got = std::fread(header, 1, sizeof header, file);
    int64_t size = 0;
    char buffer[1 << 16];
    std::rewind(file);
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) size += static_cast<int64_t>(n);
    summary.readable = !std::ferror(file);
    std::fclose(file);
    if (!summary.readable) return summary;
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

}  // namespace selvane
