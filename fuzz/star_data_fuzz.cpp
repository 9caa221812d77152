// Reads arbitrary bytes as a galaxy file. A rejected text must leave the target exactly as
// it was; an accepted one must give a consistent table that writes and reads back the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/star_data_file.h"

namespace {

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    selvane::ParsedStarData parsed;
    parsed.starSize = 7;
    if (!selvane::parseStarData(reinterpret_cast<const char*>(data), size, parsed)) {
        if (parsed.starSize != 7 || parsed.stars.present) std::abort();
        return 0;
    }
    const selvane::StarTable& t = parsed.stars;
    const size_t n = static_cast<size_t>(t.starCount);
    if (!t.present || t.starCount < 0) std::abort();
    for (const auto* a : {&t.displayX, &t.displayY, &t.displayZ, &t.posX, &t.posY, &t.posZ, &t.velX, &t.velY,
                          &t.velZ, &t.mass})
        if (a->size() != n) std::abort();

    selvane::SimulationParameters params;
    params.starSize = parsed.starSize;
    params.recordingSpeed = parsed.recordingSpeed;
    params.lightSpeed = parsed.lightSpeed;
    const std::string text = selvane::formatStarData(t, params);
    selvane::ParsedStarData again;
    if (!selvane::parseStarData(text.data(), text.size(), again)) std::abort();
    if (again.stars.starCount != t.starCount || again.recordingSpeed != parsed.recordingSpeed) std::abort();
    if (!sameBits(again.stars.mass, t.mass) || !sameBits(again.stars.displayX, t.displayX) ||
        !sameBits(again.stars.velZ, t.velZ))
        std::abort();
    return 0;
}
