#pragma once
#include <cstdint>
#include <string>

namespace selvane {

// What a recording's header claims and what its bytes really hold.
struct RecordingSummary {
    bool readable = false;
    int32_t starCount = 0;
    int32_t headerFrames = 0;
    int64_t framesInFile = 0;  // whole frames present after the header
    bool consistent = false;   // header count equals frames present and no stray bytes
};

RecordingSummary inspectRecording(const std::string& path);

}  // namespace selvane
