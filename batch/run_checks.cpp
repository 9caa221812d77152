#include "batch/run_checks.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "batch/diagnostics_report.h"
#include "engine/frame_file.h"
#include "engine/recording_layout.h"
#include "model/star_data_file.h"

namespace selvane::batch {

std::string galaxyReadProblem(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return "cannot read galaxy file " + path;
    char start[16] = {};
    in.read(start, sizeof start);
    long long count = 0;
    const auto read = std::from_chars(start, start + in.gcount(), count);
    if (read.ec == std::errc() && count > kMaxStars)
        return "galaxy file " + path + " has " + std::to_string(count) + " stars, more than the " +
               std::to_string(kMaxStars) + " a galaxy may have";
    if (read.ec == std::errc::result_out_of_range)
        return "galaxy file " + path + " counts more stars than the " + std::to_string(kMaxStars) +
               " a galaxy may have";
    return "cannot read galaxy file " + path + ": it is not a galaxy file";
}

std::string readStartingGalaxy(const std::string& path, int32_t recordingStars, StarTable& galaxy,
                               SimulationParameters& params) {
    if (!loadStarData(path, galaxy, params)) return galaxyReadProblem(path);
    if (galaxy.starCount != recordingStars)
        return "--galaxy " + path + " has " + std::to_string(galaxy.starCount) + " stars and the recording " +
               std::to_string(recordingStars);
    return "";
}

std::string nonFiniteStar(const StarTable& table) {
    const std::pair<const char*, const std::vector<double>*> values[] = {
        {"mass", &table.mass}, {"x", &table.posX},  {"y", &table.posY},  {"z", &table.posZ},
        {"vx", &table.velX},   {"vy", &table.velY}, {"vz", &table.velZ}};
    for (int32_t i = 0; i < table.starCount; ++i)
        for (const auto& [name, array] : values)
            if (!std::isfinite((*array)[i]))
                return "star " + std::to_string(i + 1) + " has " + name + " = " + shortestReal((*array)[i]);
    return "";
}

std::string recordingSizeWarning(int32_t stars, long long steps, int32_t recordingSpeed) {
    if (stars <= 0 || recordingSpeed < 1 || steps <= 0) return "";
    const long long frames = steps / recordingSpeed;
    const int64_t frameBytes = recording::frameBytes(stars);
    // A frame is written only while it ends below the limit.
    const int64_t fitting = (FrameFile::kRecordingByteLimit - 1 - recording::kHeaderBytes) / frameBytes;
    if (frames <= fitting) return "";
    return "the recording will stop at " + std::to_string(fitting) + " of the " + std::to_string(frames) +
           " frames of this run: a recording of " + std::to_string(stars) +
           " stars holds no more below 2 GiB (several shorter runs, each from the last one's --save, record them all)";
}

}  // namespace selvane::batch
