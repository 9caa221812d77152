#include "batch/frames_report.h"

#include <cmath>

#include "batch/diagnostics_report.h"
#include "engine/frame_file.h"

namespace selvane::batch {

FrameShape measureFrame(const StarTable& table) {
    FrameShape shape;
    const int32_t n = table.present ? table.starCount : 0;
    if (n == 0) return shape;
    const std::vector<double>* axes[3] = {&table.displayX, &table.displayY, &table.displayZ};
    for (int a = 0; a < 3; ++a) {
        double sum = 0;
        for (int32_t i = 0; i < n; ++i) sum = sum + (*axes[a])[i];
        shape.centre[a] = sum / n;
    }
    double squares = 0;
    for (int32_t i = 0; i < n; ++i) {
        // From the centre, so a galaxy far from the origin keeps the digits of its spread.
        for (int a = 0; a < 3; ++a) {
            const double d = (*axes[a])[i] - shape.centre[a];
            squares = squares + d * d;
        }
    }
    shape.spread = std::sqrt(squares / n);
    return shape;
}

bool framesReport(const std::string& path, std::string& report, std::string& problem) {
    StarTable table;
    FrameFile recording(path);
    if (!recording.openRecording(table)) {
        problem = "cannot read the frames of recording " + path;
        return false;
    }
    report = "frame,cx,cy,cz,spread\n";
    for (int32_t k = 0; k < recording.replayFrames(); ++k) {
        if (!recording.loadFrame(table, k)) {
            problem = "cannot read frame " + std::to_string(k) + " of " + path;
            return false;
        }
        const FrameShape shape = measureFrame(table);
        report += std::to_string(k);
        for (double value : {shape.centre[0], shape.centre[1], shape.centre[2], shape.spread})
            report += "," + shortestReal(value);
        report += '\n';
    }
    return true;
}

}  // namespace selvane::batch
