// selvane-batch: composes, runs and inspects galaxies and recordings without the window program.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include "batch/arguments.h"
#include "batch/diagnostics_report.h"
#include "batch/export_command.h"
#include "batch/frames_report.h"
#include "batch/galaxy_commands.h"
#include "batch/refusal.h"
#include "batch/render.h"
#include "batch/run_checks.h"
#include "batch/same_file.h"
#include "batch/stop_request.h"
#include "engine/energy.h"
#include "engine/frame_file.h"
#include "engine/fast_gravity_step.h"
#include "engine/recording_summary.h"
#include "model/compose.h"
#include "model/file_replace.h"
#include "model/star_data_file.h"

using namespace selvane;
using namespace selvane::batch;
namespace fs = std::filesystem;

namespace {

uint32_t clockMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// A recording is written in place rather than replaced: an existing file keeps every name it
// has and needs no writable folder, only to be a regular file that may be written. A new one
// is made where a saved file would be, so the save's check decides for it.
std::string recordProblem(const std::string& path) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);  // through links, as the writer goes
    if (!fs::is_regular_file(status)) return replaceProblem(path);
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    // The mode bits count for root too, who may write any file.
    bool readOnly = (status.permissions() & writable) == fs::perms::none;
#if !defined(_WIN32)
    readOnly = readOnly || access(path.c_str(), W_OK) != 0;
#endif
    return readOnly ? "is read-only" : "";
}

int composeCommand(CommandLine& line) {
    uint32_t elapsed = clockMilliseconds();
    if (line.hasSeed) elapsed = static_cast<uint32_t>(line.seed % 65536);
    FieldTexts fields;
    const std::pair<const char*, std::string*> fieldOptions[] = {
        {"--scale", &fields.scale},           {"--recording-speed", &fields.recordingSpeed},
        {"--light-speed", &fields.lightSpeed}, {"--size-of-star", &fields.sizeOfStar},
        {"--max-speed", &fields.maxSpeed},     {"--speed-distribution", &fields.speedDistribution},
        {"--stars", &fields.numberOfStar}};
    for (const auto& [name, text] : fieldOptions)
        if (line.options.count(name)) *text = line.options[name];

    const std::string& out = line.options["--out"];
    // The save's own check, so the check before the work and the save never disagree.
    const std::string problem = replaceProblem(out);
    if (!problem.empty()) return fail("cannot write " + out + ": it " + problem);

    StarTable table;
    SimulationParameters params;
    Random random;
    std::string refusal;
    if (!composeGalaxy(fields, elapsed, random, table, params, &refusal))
        return fail(refusal.empty() ? "cannot compose a galaxy of " + fields.numberOfStar + " stars" : refusal);
    if (!saveStarData(out, table, params))
        return fail("cannot write " + out + (params.starSize == 0 ? " (a Size of Star of 0 makes no galaxy file)" : ""));
    return 0;
}

int runCommand(CommandLine& line) {
    const std::string& galaxy = line.words[0];
    const std::string recordPath = line.options.count("--record") ? line.options["--record"] : "Recorder.wrk";
    const bool saving = line.options.count("--save") > 0;
    const std::string savePath = saving ? line.options["--save"] : "";

    StarTable table;
    SimulationParameters params;
    if (!loadStarData(galaxy, table, params)) return fail(galaxyReadProblem(galaxy));
    // As the Symulator refuses them: no softening scale or no frame cadence runs nothing.
    if (!(params.starSize > 0))
        return fail(galaxy + " cannot run: its Size of Star " + formatReal(params.starSize) + " is not above 0");
    if (params.recordingSpeed < 1)
        return fail(galaxy + " cannot run: its Recording Speed " + std::to_string(params.recordingSpeed) +
                    " is not 1 or more");
    std::string problem = nonFiniteStar(table);
    if (!problem.empty()) return fail(galaxy + " cannot run: " + problem);
    // Said before the run, which may take hours; the recording still keeps every frame that fits.
    const std::string sizeWarning = recordingSizeWarning(table.starCount, line.steps, params.recordingSpeed);
    if (!sizeWarning.empty()) std::fprintf(stderr, "selvane-batch: %s\n", sizeWarning.c_str());

    // Every target is checked before the recording is created, which truncates it.
    if (sameFile(recordPath, galaxy)) return fail("the recording " + recordPath + " would replace the galaxy file");
    if (saving && sameFile(recordPath, savePath))
        return fail("--record and --save name the same file " + recordPath);
    problem = recordProblem(recordPath);
    if (!problem.empty()) return fail("cannot record into " + recordPath + ": it " + problem);
    if (saving) {
        problem = replaceProblem(savePath);
        if (!problem.empty()) return fail("cannot write " + savePath + ": it " + problem);
    }
    const bool measuring = line.options.count("--diagnostics") > 0;
    const std::string diagnosticsPath = measuring ? line.options["--diagnostics"] : "";
    if (measuring) {
        for (const std::string& other : {galaxy, recordPath, savePath})
            if (!other.empty() && sameFile(diagnosticsPath, other))
                return fail("--diagnostics names the same file as another input or output: " + diagnosticsPath);
        problem = replaceProblem(diagnosticsPath);
        if (!problem.empty()) return fail("cannot write " + diagnosticsPath + ": it " + problem);
    }

    // A stop asked for before the recording starts leaves the old one as it was.
    DiagnosticsReport diagnostics;
    if (measuring) diagnostics.addRow(0, measureGalaxy(table, params));  // long for a large galaxy
    if (stopRequest()) {
        fail("stopped before the run; " + recordPath + " is as it was");
        return 128 + stopRequest();
    }

    FrameFile recording(recordPath);
    if (!recording.createRecording(table))
        return fail("cannot create recording " + recordPath + " (or another program records into it)");

    StepCounter counter;
    const StepHooks hooks{nullptr, [&] {
                              recording.recordFrame(table);
                              if (measuring) diagnostics.addRow(counter.steps, measureGalaxy(table, params));
                          }};
    const auto start = std::chrono::steady_clock::now();
    auto lastReport = start;
    long long stepsDone = 0;
    for (long long s = 0; s < line.steps && !stopRequest(); ++s, ++stepsDone) {
        fastGravityStep(table, params, counter, hooks);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "step %lld of %lld, %d frames\n", s + 1, line.steps, recording.recordedFrames());
            lastReport = now;
        }
    }
    const int32_t offered = recording.recordedFrames();
    // Checked, and cut back to its whole frames after a failing disk, before its lock is let go.
    const int32_t kept = std::max(recording.finishRecording(), 0);
    recording.closeRecording();
    // Every frame is whole on disk already, and the diagnostics keep the rows of those frames;
    // an interrupted run saves no end state.
    if (stopRequest()) {
        if (measuring && !replaceFileContents(diagnosticsPath, diagnostics.text()))
            fail("cannot write " + diagnosticsPath);
        std::fprintf(stderr, "selvane-batch: stopped after %lld of %lld steps; %s keeps %d frames\n", stepsDone,
                     line.steps, recordPath.c_str(), kept);
        return 128 + stopRequest();
    }

    int status = 0;
    if (saving && !saveStarData(savePath, table, params)) status = fail("cannot write " + savePath);
    if (measuring && !replaceFileContents(diagnosticsPath, diagnostics.text()))
        status = fail("cannot write " + diagnosticsPath);
    if (kept != offered)
        status = fail("recording " + recordPath + " was cut short: it keeps " + std::to_string(kept) + " of " +
                      std::to_string(offered) + " frames");
    return status;
}

int infoCommand(const CommandLine& line) {
    const std::string& path = line.words[0];
    const RecordingSummary summary = inspectRecording(path);
    if (!summary.readable) return fail("cannot read recording " + path);
    std::printf("stars: %d\nframes in header: %d\nframes in file: %lld\nconsistent: %s\n", summary.starCount,
                summary.headerFrames, static_cast<long long>(summary.framesInFile),
                summary.consistent ? "yes" : "no");
    if (summary.starCount > kMaxStars) return fail(describeDamage(path, summary));
    if (!line.options.count("--frames")) return 0;
    std::string problem;
    if (!writeFramesReport(path, stdout, problem)) return fail(problem);
    return 0;
}

int dispatch(CommandLine& line) {
    switch (line.command) {
        case Command::Help: std::fputs(line.helpText.c_str(), stdout); return 0;
        case Command::Compose: return composeCommand(line);
        case Command::Run: return runCommand(line);
        case Command::Info: return infoCommand(line);
        case Command::Render: return renderCommand(line);
        case Command::Export: return exportCommand(line);
        case Command::Import: return importCommand(line);
        case Command::Combine: return combineCommand(line);
    }
    return 2;
}

int runCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::string problem;
    if (!parseCommandLine(args, line, problem)) return fail(problem + " (selvane-batch --help shows the usage)");
    // Every command that writes files ends where they are whole: a stop asked for meanwhile is
    // obeyed at its next step or frame, or once it has written, with the status a stop gives.
    if (line.command != Command::Help && line.command != Command::Info) watchStopRequests();
    const int status = dispatch(line);
    return status == 0 && stopRequest() ? 128 + stopRequest() : status;
}

}  // namespace

int main(int argc, char** argv) {
    const int status = runCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    // A report cut short by a full disk or a closed pipe is a failure, not a success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return status != 0 ? status : fail("cannot write to standard output");
    return status;
}
