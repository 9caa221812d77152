#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "model/number_text.h"
#include "model/star_table.h"

namespace selvane {

// Everything a star data file carries: the galaxy (display copied into pos) and the three
// parameters stored in its header line.
struct ParsedStarData {
    StarTable stars;
    double starSize = 0;
    int32_t recordingSpeed = 0;
    double lightSpeed = 0;
};

// Whole file text: header "count,starSize,recordingSpeed,lightSpeed" then one
// "mass,x,y,z,vx,vy,vz" line per star (display position), every line ending CR LF; the
// reals as writeReal (model/number_text.h) writes them.
// Returns an empty string when the table is absent or its arrays disagree with starCount.
std::string formatStarData(const StarTable& table, const SimulationParameters& params);

// Reads file text (not NUL-terminated) with "%d,%lg,%d,%lg" / "%lg,...,%lg" rules.
// Any record that does not scan, a negative count, a count the text cannot hold, an
// integer outside 32 bits or a line's last number running into anything but white space
// or the end of the text ("0x10", "7abc") rejects the whole text: false, and `out` is left
// untouched. Text after the last counted star is ignored, as the original reader never
// looked at it.
bool parseStarData(const char* data, size_t size, ParsedStarData& out);

// Files larger than this are treated as damaged rather than read into memory.
constexpr uint64_t kMaxStarDataFileBytes = uint64_t{1} << 30;

// The file's bytes appended to `data`; false when it cannot be read or passes
// kMaxStarDataFileBytes, the most any file of stars is believed to hold.
bool readWholeFile(const std::filesystem::path& path, std::string& data);

// Writes the file with replaceFileContents (model/file_replace.h): through symbolic links,
// keeping the replaced file's permissions, refusing anything but a writable regular file
// with one name. Nothing is written (false) when there is no table or starSize is 0 or
// NaN; on any failure the target is left as it was and no temporary file remains.
bool saveStarData(const std::filesystem::path& path, const StarTable& table, const SimulationParameters& params);

// On success replaces the table and sets starSize, recordingSpeed and lightSpeed
// (galaxyScale, maxSpeed and speedDistribution are kept). On any failure the table and
// all parameters are left exactly as they were.
bool loadStarData(const std::filesystem::path& path, StarTable& table, SimulationParameters& params);

}  // namespace selvane
