#include "batch/frame_range.h"

#include <climits>

namespace selvane::batch {

bool readWholeOption(const CommandLine& line, const char* option, long long low, long long high, long long& value) {
    const auto found = line.options.find(option);
    return found == line.options.end() || parseWholeNumber(found->second, low, high, value);
}

std::string chooseFrames(const CommandLine& line, int64_t frames, long long& from, long long& to) {
    from = 0;
    to = frames - 1;
    if (!readWholeOption(line, "--from", 0, INT32_MAX, from)) return "--from takes a frame number of 0 or more";
    if (!readWholeOption(line, "--to", 0, INT32_MAX, to)) return "--to takes a frame number of 0 or more";
    if (frames < 1) return "the recording has no frame";
    if (to >= frames) return "--to " + std::to_string(to) + " is past the last frame, " + std::to_string(frames - 1);
    if (from > to)
        return "--from " + std::to_string(from) + " is past " + (line.options.count("--to") ? "--to " : "the last frame, ") +
               std::to_string(to);
    return "";
}

}  // namespace selvane::batch
