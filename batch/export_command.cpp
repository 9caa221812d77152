#include "batch/export_command.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "batch/frame_range.h"
#include "batch/output_files.h"
#include "batch/refusal.h"
#include "batch/run_checks.h"
#include "batch/stop_request.h"
#include "batch/vtk_series.h"
#include "engine/frame_file.h"
#include "engine/recording_summary.h"
#include "model/file_replace.h"
#include "model/gadget_snapshot.h"
#include "model/star_data_file.h"

namespace selvane::batch {

namespace fs = std::filesystem;

namespace {

// One frame as the formats take it.
struct ExportFrame {
    int64_t number = 0;
    double time = 0;  // the step the frame shows
    std::vector<double> position[3], velocity[3], speed;
    const std::vector<double>* mass = nullptr;
};

std::string numbered(const char* stem, int64_t k, const char* extension) {
    char name[48];
    std::snprintf(name, sizeof name, "%s_%06lld%s", stem, static_cast<long long>(k), extension);
    return name;
}

void fillSpeeds(ExportFrame& frame) {
    const size_t n = frame.position[0].size();
    frame.speed.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double vx = frame.velocity[0][i], vy = frame.velocity[1][i], vz = frame.velocity[2][i];
        frame.speed[i] = std::sqrt(vx * vx + vy * vy + vz * vz);
    }
}

std::string formatFrame(const ExportFrame& frame, bool vtk, bool doublePrecision) {
    const double* position[3] = {frame.position[0].data(), frame.position[1].data(), frame.position[2].data()};
    if (vtk) return formatVtkPoints(frame.speed.size(), position, frame.mass->data(), frame.speed.data());
    SnapshotStars stars;
    stars.count = frame.speed.size();
    stars.mass = frame.mass->data();
    for (int a = 0; a < 3; ++a) {
        stars.position[a] = position[a];
        stars.velocity[a] = frame.velocity[a].data();
    }
    return formatGadgetSnapshot(stars, frame.time, doublePrecision);
}


}  // namespace

int exportCommand(const CommandLine& line) {
    const std::string& input = line.words[0];
    const std::string& out = line.options.at("--out");
    const std::string& format = line.options.at("--format");
    if (format != "gadget" && format != "vtk") return fail("--format is gadget or vtk, not '" + format + "'");
    const bool vtk = format == "vtk";
    const bool doublePrecision = line.options.count("--double") > 0;
    if (doublePrecision && vtk) return fail("--double is for gadget snapshots; vtk files hold doubles already");
    long long from = 0, to = 0;

    // A whole recording is told by its header and length at once, so a large one is never read
    // as text; a galaxy file's first characters never make a recording's header.
    RecordingSummary summary = inspectRecording(input);
    const std::string damage = describeDamage(input, summary);
    StarTable galaxy;
    SimulationParameters params;
    const bool fromGalaxy = !damage.empty() && loadStarData(input, galaxy, params);
    const auto galaxyOption = line.options.find("--galaxy");
    if (fromGalaxy && galaxyOption != line.options.end())
        return fail("--galaxy is for a recording; " + input + " is a galaxy file");
    if (fromGalaxy && (line.options.count("--from") || line.options.count("--to")))
        return fail("--from and --to choose frames of a recording; " + input + " is a galaxy file");

    // A galaxy carries masses and velocities; a recording positions only, so its masses and
    // the steps between its frames come from the galaxy the run started from.
    StarTable started;
    SimulationParameters startedParams;
    startedParams.recordingSpeed = 1;
    int64_t frames = 1;
    if (!fromGalaxy) {
        if (!damage.empty()) return fail(input + " is no galaxy file, and as a recording: " + damage);
        if (summary.starCount == 0) return fail("recording " + input + " holds no stars to export");
        frames = summary.framesInFile;
        if (galaxyOption != line.options.end()) {
            const std::string problem =
                readStartingGalaxy(galaxyOption->second, summary.starCount, started, startedParams);
            if (!problem.empty()) return fail(problem);
        }
    }
    const std::string range = chooseFrames(line, frames, from, to);
    if (!range.empty()) return fail(range);

    // A galaxy's one snapshot may go to a file; everything else goes into a folder.
    std::error_code error;
    const bool intoFolder = vtk || !fromGalaxy || fs::is_directory(out, error);
    OutputFiles targets(input);
    std::vector<std::pair<double, std::string>> collection;
    const auto targetOf = [&](int64_t k) {
        if (!intoFolder) return out;
        return (fs::path(out) / (vtk ? numbered("frame", k, ".vtp") : numbered("snapshot", k, ""))).string();
    };
    const std::string collectionPath = (fs::path(out) / "selvane.pvd").string();
    if (intoFolder) {
        const std::string problem = targets.openFolder(out);
        if (!problem.empty()) return fail(problem);
    }
    for (int64_t k = from; k <= to; ++k) {
        const std::string problem = targets.check(targetOf(k));
        if (!problem.empty()) return fail(problem);
    }
    if (vtk) {
        const std::string problem = targets.check(collectionPath);
        if (!problem.empty()) return fail(problem);
    }

    ExportFrame frame;
    std::vector<double> unitMasses;
    if (fromGalaxy) {
        frame.mass = &galaxy.mass;
        const std::vector<double>* from3[] = {&galaxy.displayX, &galaxy.displayY, &galaxy.displayZ};
        const std::vector<double>* velocities[] = {&galaxy.velX, &galaxy.velY, &galaxy.velZ};
        for (int a = 0; a < 3; ++a) {
            frame.position[a] = *from3[a];
            frame.velocity[a] = *velocities[a];
        }
        fillSpeeds(frame);
        const std::string problem = targets.write(targetOf(0), formatFrame(frame, vtk, doublePrecision));
        if (!problem.empty()) return fail(problem);
        collection.emplace_back(0.0, fs::path(targetOf(0)).filename().string());
    } else {
        if (galaxyOption == line.options.end()) unitMasses.assign(static_cast<size_t>(summary.starCount), 1.0);
        frame.mass = galaxyOption != line.options.end() ? &started.mass : &unitMasses;
        const double stepsBetween = startedParams.recordingSpeed;
        StarTable here, next;
        FrameFile recording(input);
        if (!recording.openRecording(here) || recording.replayFrames() != frames) return fail("cannot read recording " + input);
        next = here;
        for (int64_t k = from; k <= to && !stopRequest(); ++k) {
            // The velocity is the move to the next frame; the last frame keeps the one before.
            const int64_t a = k < frames - 1 ? k : std::max<int64_t>(k - 1, 0);
            const int64_t b = std::min<int64_t>(a + 1, frames - 1);
            if (!recording.loadFrame(here, static_cast<int32_t>(a)) || !recording.loadFrame(next, static_cast<int32_t>(b)))
                return fail("cannot read frame " + std::to_string(k) + " of " + input);
            const std::vector<double>* shown[3] = {&here.displayX, &here.displayY, &here.displayZ};
            const std::vector<double>* later[3] = {&next.displayX, &next.displayY, &next.displayZ};
            for (int axis = 0; axis < 3; ++axis) {
                frame.velocity[axis].resize(shown[axis]->size());
                for (size_t i = 0; i < shown[axis]->size(); ++i)
                    frame.velocity[axis][i] = a == b ? 0.0 : ((*later[axis])[i] - (*shown[axis])[i]) / stepsBetween;
                frame.position[axis] = k == a ? *shown[axis] : *later[axis];
            }
            fillSpeeds(frame);
            frame.time = static_cast<double>(k + 1) * stepsBetween;  // frame 0 is recorded after the first steps
            const std::string problem = targets.write(targetOf(k), formatFrame(frame, vtk, doublePrecision));
            if (!problem.empty()) return fail(problem);
            collection.emplace_back(frame.time, fs::path(targetOf(k)).filename().string());
        }
    }
    // A stop keeps the frames written whole, and the series lists just those.
    if (vtk) {
        const std::string problem = targets.write(collectionPath, formatVtkCollection(collection));
        if (!problem.empty()) return fail(problem);
    }
    targets.keepAll();
    if (stopRequest())
        std::fprintf(stderr, "selvane-batch: stopped after %zu of %lld frames\n", collection.size(), to - from + 1);
    return 0;
}

}  // namespace selvane::batch
