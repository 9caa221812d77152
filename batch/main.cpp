// selvane-batch: composes, runs and inspects galaxies and recordings without the window program.
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/frame_file.h"
#include "engine/gravity_step.h"
#include "engine/recording_summary.h"
#include "model/compose.h"
#include "model/star_data_file.h"

using namespace selvane;

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "selvane-batch: %s\n", message.c_str());
    return 2;
}

int usage() {
    return fail(
        "usage: selvane-batch compose --out FILE [--seed N] [--scale T] [--recording-speed T] "
        "[--light-speed T] [--size-of-star T] [--max-speed T] [--speed-distribution T] [--stars T]\n"
        "       selvane-batch run GALAXY --steps N [--record FILE] [--save FILE]\n"
        "       selvane-batch info RECORDING");
}

// Splits "--name value" pairs and plain words; false when an option lacks its value
// or is not one of `known`.
bool parseArguments(int argc, char** argv, const std::vector<std::string>& known,
                    std::map<std::string, std::string>& options, std::vector<std::string>& words,
                    std::string& problem) {
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) {
            words.push_back(arg);
            continue;
        }
        bool isKnown = false;
        for (const auto& name : known) isKnown = isKnown || name == arg;
        if (!isKnown) {
            problem = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            problem = "option " + arg + " needs a value";
            return false;
        }
        if (options.count(arg)) {
            problem = "option " + arg + " given twice";
            return false;
        }
        options[arg] = argv[++i];
    }
    return true;
}

bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && value >= low && value <= high;
}

uint32_t clockMilliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int composeCommand(int argc, char** argv) {
    std::map<std::string, std::string> options;
    std::vector<std::string> words;
    std::string problem;
    if (!parseArguments(argc, argv,
                        {"--out", "--seed", "--scale", "--recording-speed", "--light-speed", "--size-of-star",
                         "--max-speed", "--speed-distribution", "--stars"},
                        options, words, problem))
        return fail(problem);
    if (!words.empty()) return fail("unexpected argument " + words.front());
    if (!options.count("--out")) return fail("compose needs --out FILE");

    uint32_t elapsed = clockMilliseconds();
    if (options.count("--seed")) {
        long long seed = 0;
        if (!parseWholeNumber(options["--seed"], 0, INT64_MAX, seed))
            return fail("--seed takes a whole number of milliseconds, not '" + options["--seed"] + "'");
        elapsed = static_cast<uint32_t>(seed % 65536);
    }
    FieldTexts fields;
    const std::pair<const char*, std::string*> fieldOptions[] = {
        {"--scale", &fields.scale},           {"--recording-speed", &fields.recordingSpeed},
        {"--light-speed", &fields.lightSpeed}, {"--size-of-star", &fields.sizeOfStar},
        {"--max-speed", &fields.maxSpeed},     {"--speed-distribution", &fields.speedDistribution},
        {"--stars", &fields.numberOfStar}};
    for (const auto& [name, text] : fieldOptions)
        if (options.count(name)) *text = options[name];

    StarTable table;
    SimulationParameters params;
    Random random;
    if (!composeGalaxy(fields, elapsed, random, table, params)) return fail("not enough memory for that galaxy");
    if (!saveStarData(options["--out"], table, params))
        return fail("cannot write " + options["--out"] +
                    (params.starSize == 0 ? " (a Size of Star of 0 makes no galaxy file)" : ""));
    return 0;
}

int runCommand(int argc, char** argv) {
    std::map<std::string, std::string> options;
    std::vector<std::string> words;
    std::string problem;
    if (!parseArguments(argc, argv, {"--steps", "--record", "--save"}, options, words, problem))
        return fail(problem);
    if (words.size() != 1) return fail("run needs exactly one GALAXY file");
    long long steps = 0;
    if (!options.count("--steps") || !parseWholeNumber(options["--steps"], 0, INT64_MAX, steps))
        return fail("run needs --steps N with a whole number N of 0 or more");

    StarTable table;
    SimulationParameters params;
    if (!loadStarData(words[0], table, params)) return fail("cannot read galaxy file " + words[0]);

    const std::string recordPath = options.count("--record") ? options["--record"] : "Recorder.wrk";
    FrameFile recording(recordPath);
    if (!recording.createRecording(table)) return fail("cannot create recording " + recordPath);

    StepCounter counter;
    const StepHooks hooks{nullptr, [&] { recording.recordFrame(table); }};
    const auto start = std::chrono::steady_clock::now();
    auto lastReport = start;
    for (long long s = 0; s < steps; ++s) {
        gravityStep(table, params, counter, hooks);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastReport >= std::chrono::seconds(1)) {
            std::fprintf(stderr, "step %lld of %lld, %d frames\n", s + 1, steps, recording.recordedFrames());
            lastReport = now;
        }
    }
    recording.closeRecording();
    if (options.count("--save") && !saveStarData(options["--save"], table, params))
        return fail("cannot write " + options["--save"]);
    return 0;
}

int infoCommand(int argc, char** argv) {
    if (argc != 3) return fail("info needs exactly one RECORDING file");
    const RecordingSummary summary = inspectRecording(argv[2]);
    if (!summary.readable) return fail(std::string("cannot read recording ") + argv[2]);
    std::printf("stars: %d\nframes in header: %d\nframes in file: %lld\nconsistent: %s\n", summary.starCount,
                summary.headerFrames, static_cast<long long>(summary.framesInFile),
                summary.consistent ? "yes" : "no");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "compose") return composeCommand(argc, argv);
    if (command == "run") return runCommand(argc, argv);
    if (command == "info") return infoCommand(argc, argv);
    return usage();
}
