#include "batch/arguments.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace selvane::batch {

namespace {

bool startsWithDashes(const std::string& text) { return text.rfind("--", 0) == 0; }

// Camera operations may be "--", two presses of "-", so these take the next argument as it is.
bool takesAnyValue(const std::string& option) { return option == "--camera" || option == "--turn"; }

const char* commandName(Command command) {
    switch (command) {
        case Command::Compose: return "compose";
        case Command::Run: return "run";
        case Command::Info: return "info";
        case Command::Render: return "render";
        case Command::Export: return "export";
        case Command::Import: return "import";
        case Command::Combine: return "combine";
        case Command::Help: break;
    }
    return "help";
}

// Splits "--name value" pairs from plain words. A value never starts with "--", so a
// forgotten value is reported instead of the next option being taken for it.
bool splitOptions(const std::vector<std::string>& args, Command command, CommandLine& line, std::string& problem) {
    const std::vector<std::string>& known = knownOptions(command);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!startsWithDashes(arg)) {
            line.words.push_back(arg);
            continue;
        }
        bool isKnown = false;
        for (const auto& name : known) isKnown = isKnown || name == arg;
        if (!isKnown) {
            problem = std::string(commandName(command)) + " has no option " + arg;
            return false;
        }
        if (line.options.count(arg)) {
            problem = "option " + arg + " given twice";
            return false;
        }
        if (isFlag(arg)) {
            line.options[arg] = "";
            continue;
        }
        if (i + 1 >= args.size() || (startsWithDashes(args[i + 1]) && !takesAnyValue(arg))) {
            problem = "option " + arg + " needs a value";
            return false;
        }
        line.options[arg] = args[++i];
    }
    return true;
}

}  // namespace

bool isFlag(const std::string& option) { return option == "--frames" || option == "--double"; }

const std::vector<std::string>& knownOptions(Command command) {
    static const std::vector<std::string> compose = {"--out",         "--seed",      "--scale",
                                                     "--recording-speed", "--light-speed", "--size-of-star",
                                                     "--max-speed",   "--speed-distribution", "--stars"};
    static const std::vector<std::string> run = {"--steps", "--record", "--save", "--diagnostics"};
    static const std::vector<std::string> render = {"--out", "--from", "--to", "--camera", "--turn", "--fps"};
    static const std::vector<std::string> info = {"--frames"};
    static const std::vector<std::string> exporting = {"--out", "--format", "--galaxy", "--from", "--to", "--double"};
    static const std::vector<std::string> importing = {"--out", "--size-of-star", "--recording-speed", "--light-speed"};
    static const std::vector<std::string> combine = {"--out", "--offset", "--velocity", "--tilt", "--spin"};
    static const std::vector<std::string> none;
    if (command == Command::Compose) return compose;
    if (command == Command::Run) return run;
    if (command == Command::Render) return render;
    if (command == Command::Info) return info;
    if (command == Command::Export) return exporting;
    if (command == Command::Import) return importing;
    if (command == Command::Combine) return combine;
    return none;
}

bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value) {
    if (text.empty() || text[0] < '0' || text[0] > '9') return false;  // no sign, no blanks
    char* end = nullptr;
    errno = 0;
    const long long read = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || read < low || read > high) return false;
    value = read;
    return true;
}

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem) {
    line = CommandLine();
    if (args.empty()) {
        problem = "no command given";
        return false;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h") {
        line.command = Command::Help;
        return true;
    }
    if (name == "compose") line.command = Command::Compose;
    else if (name == "run") line.command = Command::Run;
    else if (name == "info") line.command = Command::Info;
    else if (name == "render") line.command = Command::Render;
    else if (name == "export") line.command = Command::Export;
    else if (name == "import") line.command = Command::Import;
    else if (name == "combine") line.command = Command::Combine;
    else {
        problem = "unknown command '" + name + "'";
        return false;
    }
    if (!splitOptions(args, line.command, line, problem)) return false;

    switch (line.command) {
        case Command::Compose:
            if (!line.words.empty()) {
                problem = "compose takes no argument '" + line.words.front() + "'";
                return false;
            }
            if (!line.options.count("--out")) {
                problem = "compose needs --out FILE";
                return false;
            }
            if (line.options.count("--seed")) {
                if (!parseWholeNumber(line.options["--seed"], 0, LLONG_MAX, line.seed)) {
                    problem = "--seed takes a whole number of milliseconds, not '" + line.options["--seed"] + "'";
                    return false;
                }
                line.hasSeed = true;
            }
            return true;
        case Command::Run:
            if (line.words.size() != 1) {
                problem = "run needs exactly one GALAXY file";
                return false;
            }
            if (!line.options.count("--steps") || !parseWholeNumber(line.options["--steps"], 0, LLONG_MAX, line.steps)) {
                problem = "run needs --steps N with a whole number N of 0 or more";
                return false;
            }
            return true;
        case Command::Info:
            if (line.words.size() != 1) {
                problem = "info needs exactly one RECORDING file";
                return false;
            }
            return true;
        case Command::Render:
            if (line.words.size() != 1 || !line.options.count("--out")) {
                problem = "render needs exactly one RECORDING file and --out DIR or --out FILE.mp4";
                return false;
            }
            return true;
        case Command::Export:
            if (line.words.size() != 1 || !line.options.count("--out") || !line.options.count("--format")) {
                problem = "export needs exactly one RECORDING or GALAXY file, --out DIR|FILE and --format gadget|vtk";
                return false;
            }
            return true;
        case Command::Import:
            if (line.words.size() != 1 || !line.options.count("--out")) {
                problem = "import needs exactly one SNAPSHOT or TABLE file and --out GALAXY";
                return false;
            }
            return true;
        case Command::Combine:
            if (line.words.size() != 2 || !line.options.count("--out")) {
                problem = "combine needs two GALAXY files and --out GALAXY";
                return false;
            }
            return true;
        case Command::Help: break;
    }
    return true;
}

std::string usageText() {
    return "usage: selvane-batch compose --out FILE [--seed N] [--scale T] [--recording-speed T] "
           "[--light-speed T] [--size-of-star T] [--max-speed T] [--speed-distribution T] [--stars T]\n"
           "       selvane-batch run GALAXY --steps N [--record FILE] [--save FILE] [--diagnostics FILE.csv]\n"
           "       selvane-batch info RECORDING [--frames]\n"
           "       selvane-batch render RECORDING --out DIR|FILE.mp4 [--from K] [--to K] [--camera OPS] "
           "[--turn OPS] [--fps N]\n"
           "         (OPS: the viewing buttons < > ^ v x + -, each one press)\n"
           "       selvane-batch export RECORDING|GALAXY --out DIR|FILE --format gadget|vtk [--galaxy GALAXY] "
           "[--from K] [--to K] [--double]\n"
           "       selvane-batch import SNAPSHOT|TABLE --out GALAXY [--size-of-star T] [--recording-speed N] "
           "[--light-speed T]\n"
           "       selvane-batch combine A B --out C [--offset X,Y,Z] [--velocity VX,VY,VZ] [--tilt DEGREES] "
           "[--spin DEGREES]\n"
           "       selvane-batch --help\n";
}

}  // namespace selvane::batch
