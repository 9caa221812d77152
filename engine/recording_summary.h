#pragma once
#include <cstdint>
#include <string>

namespace selvane {

// What a recording's header claims and what its bytes really hold.
struct RecordingSummary {
    bool readable = false;
    int64_t bytes = 0;  // the file's length
    int32_t starCount = 0;
    int32_t headerFrames = 0;
    int64_t framesInFile = 0;  // whole frames present after the header
    bool consistent = false;   // header count equals frames present and no stray bytes
};

RecordingSummary inspectRecording(const std::string& path);

// Why the recording cannot be shown as it stands (unreadable, no header, a star count no galaxy
// has, cut), in one line naming `path`; empty when its header and its bytes agree.
std::string describeDamage(const std::string& path, const RecordingSummary& summary);

}  // namespace selvane
