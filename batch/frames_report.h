#pragma once
#include <cstdio>
#include <string>

#include "model/star_table.h"

namespace selvane::batch {

// Where one frame's stars are: the mean of their displayed positions, and the spread, the
// root mean square of their distances from it.
struct FrameShape {
    double centre[3] = {0, 0, 0};
    double spread = 0;
};

FrameShape measureFrame(const StarTable& table);

// `info RECORDING --frames`: "frame,cx,cy,cz,spread" and a row for every whole frame of the
// recording, written to `out` as each frame is read; false with `problem` set when its frames
// cannot be read or the report cannot be written.
bool writeFramesReport(const std::string& path, std::FILE* out, std::string& problem);

}  // namespace selvane::batch
