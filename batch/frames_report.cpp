#include "batch/frames_report.h"

#include <algorithm>
#include <cmath>

#include "batch/diagnostics_report.h"
#include "engine/frame_file.h"

namespace selvane::batch {

namespace {

// A power of two that brings every finite coordinate below 1 in size, so that sums of up to
// kMaxStars of them cannot overflow; scaling by it is exact, so ordinary galaxies give the
// very bits of the plain sums.
double overflowSafeScale(const std::vector<double>* const axes[3], int32_t n) {
    double largest = 0;
    for (int a = 0; a < 3; ++a)
        for (int32_t i = 0; i < n; ++i) {
            const double size = std::fabs((*axes[a])[i]);
            if (size > largest && std::isfinite(size)) largest = size;
        }
    if (largest < 1) return 1;  // no sum of these can overflow
    return std::ldexp(1.0, -(std::ilogb(largest) + 1));
}

}  // namespace

FrameShape measureFrame(const StarTable& table) {
    FrameShape shape;
    const int32_t n = table.present ? table.starCount : 0;
    if (n == 0) return shape;
    const std::vector<double>* const axes[3] = {&table.displayX, &table.displayY, &table.displayZ};
    const double scale = overflowSafeScale(axes, n);
    double scaledCentre[3];
    for (int a = 0; a < 3; ++a) {
        double sum = 0;
        for (int32_t i = 0; i < n; ++i) sum = sum + (*axes[a])[i] * scale;
        scaledCentre[a] = sum / n;
        shape.centre[a] = scaledCentre[a] / scale;
    }
    double squares = 0;
    for (int32_t i = 0; i < n; ++i) {
        // From the centre, so a galaxy far from the origin keeps the digits of its spread.
        for (int a = 0; a < 3; ++a) {
            const double d = (*axes[a])[i] * scale - scaledCentre[a];
            squares = squares + d * d;
        }
    }
    shape.spread = std::sqrt(squares / n) / scale;
    return shape;
}

bool writeFramesReport(const std::string& path, std::FILE* out, std::string& problem) {
    if (std::fputs("frame,cx,cy,cz,spread\n", out) < 0) {
        problem = "cannot write the report";
        return false;
    }
    StarTable table;
    FrameFile recording(path);
    if (!recording.openRecording(table)) {
        problem = "cannot read the frames of recording " + path;
        return false;
    }
    // Frames of no stars have no centre: such a recording has nothing to show, however
    // many frames its header counts.
    const int32_t frames = table.starCount > 0 ? recording.replayFrames() : 0;
    for (int32_t k = 0; k < frames; ++k) {
        if (!recording.loadFrame(table, k)) {
            problem = "cannot read frame " + std::to_string(k) + " of " + path;
            return false;
        }
        const FrameShape shape = measureFrame(table);
        std::string row = std::to_string(k);
        for (double value : {shape.centre[0], shape.centre[1], shape.centre[2], shape.spread})
            row += "," + shortestReal(value);
        row += '\n';
        if (std::fputs(row.c_str(), out) < 0) {
            problem = "cannot write the report";
            return false;
        }
    }
    return true;
}

}  // namespace selvane::batch
