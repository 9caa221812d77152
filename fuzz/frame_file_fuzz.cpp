// Opens arbitrary bytes as a recording and replays a few frames; any crash, sanitizer
// report or table of the wrong size is a fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "engine/frame_file.h"

namespace {

void requireFittingTable(const selvane::StarTable& t) {
    const size_t n = static_cast<size_t>(t.starCount);
    for (const auto* a : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                          &t.velZ, &t.mass})
        if (a->size() != n) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/selvane_frame_file_fuzz_" + std::to_string(getpid()) + ".wrk";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);

    selvane::StarTable table;
    selvane::reallocateStars(table, 3);
    selvane::FrameFile file(path);
    if (!file.openRecording(table)) return 0;
    requireFittingTable(table);
    if (table.starCount != file.recordingStarCount() && file.replayFrames() > 0) std::abort();
    const int32_t last = file.replayFrames() - 1;
    const int32_t pastEnd = file.replayFrames();  // replayFrames never exceeds INT32_MAX
    const int32_t farPastEnd = pastEnd == INT32_MAX ? pastEnd : pastEnd + 1;
    for (int32_t k : {0, last, pastEnd, farPastEnd, INT32_MAX}) file.loadFrame(table, k);
    requireFittingTable(table);
    file.recordFrame(table);  // appending to an opened recording keeps the header true
    if (file.replayFrames() > 0 && !file.hasFrame(last)) std::abort();
    file.closeRecording();
    std::remove(path.c_str());
    return 0;
}
