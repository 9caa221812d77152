#include "batch/arguments.h"

#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdlib>
#include <sstream>

#include <CLI/CLI.hpp>

#include "model/number_text.h"
#include "selvane_version.h"

namespace selvane::batch {

namespace {

struct OptionEntry {
    const char* name;
    const char* value;  // nullptr for a flag
    const char* help;   // ends with its default where it has one
};

struct CommandEntry {
    Command command;
    const char* name;
    const char* words;  // the plain arguments, as the help names them
    const char* description;
    std::vector<OptionEntry> options;
};

const std::vector<CommandEntry>& commandTable() {
    static const std::vector<CommandEntry> table = {
        {Command::Compose, "compose", "", "Composes a galaxy from the seven fields of the Initialise screen and saves it.",
         {{"--out", "FILE", "the galaxy file to write (required)"},
          {"--seed", "N", "the generator seeded as after N milliseconds (default: the clock)"},
          {"--scale", "T", "Scale (default 250)"},
          {"--recording-speed", "T", "Recording Speed (default 5)"},
          {"--light-speed", "T", "Light Speed (default 30)"},
          {"--size-of-star", "T", "Size of Star (default 20)"},
          {"--max-speed", "T", "Max Speed (default 0.4)"},
          {"--speed-distribution", "T", "Speed Distribution (default 0.5)"},
          {"--stars", "T", "Number of Star (default 128)"}}},
        {Command::Run, "run", "GALAXY", "Runs gravity steps of a galaxy, recording every Recording-Speed-th step.",
         {{"--steps", "N", "how many steps (required)"},
          {"--record", "FILE", "the recording (default Recorder.wrk)"},
          {"--save", "FILE", "save the galaxy after the last step (default: no save)"},
          {"--diagnostics", "FILE.csv",
           "energy, momentum and angular momentum of step 0 and every recorded step (default: none)"}}},
        {Command::Info, "info", "RECORDING", "Tells a recording's star count and frames and whether they agree.",
         {{"--frames", nullptr, "also each frame's centre and spread as CSV"}}},
        {Command::Render, "render", "RECORDING", "Draws a recording's frames as the Player shows them.",
         {{"--out", "DIR|FILE.mp4", "a folder of PNG pictures, or an MP4 video through ffmpeg (required)"},
          {"--from", "K", "the first frame (default 0)"},
          {"--to", "K", "the last frame (default the recording's last)"},
          {"--camera", "OPS", "viewing buttons < > ^ v x + - pressed before the first frame (default none)"},
          {"--turn", "OPS", "viewing buttons pressed after every frame (default none)"},
          {"--fps", "N", "a video's frames a second (default 30)"},
          {"--look", "dots|glow", "the Player's 470 x 376 dots, or soft stars whose light adds up (default dots)"},
          {"--size", "WxH", "the glow picture's size; the view is scaled to cover it (default 1920x1080)"},
          {"--color", "speed|mass|white", "the glow's colours: warm for slow or light stars, blue-white for fast or "
                                          "heavy ones (default speed)"},
          {"--exposure", "E", "the glow's light before its tone curve (default 8)"},
          {"--galaxy", "GALAXY", "the galaxy the run started from, for the glow's masses (default: equal masses)"}}},
        {Command::Export, "export", "RECORDING|GALAXY",
         "Writes a galaxy or a recording's frames as GADGET snapshots or a VTK series. A recording holds positions "
         "only: masses come from --galaxy, and a frame's velocity is its move to the next frame divided by the "
         "steps between frames (the last frame keeps the one before); without --galaxy every mass is 1 and frames "
         "count as steps.",
         {{"--out", "DIR|FILE", "the folder (snapshot_NNNNNN, or frame_NNNNNN.vtp and selvane.pvd), or for a galaxy's "
                                "one snapshot a file (required)"},
          {"--format", "gadget|vtk", "GADGET-2 snapshots (format 1), or VTK PolyData and its collection (required)"},
          {"--galaxy", "GALAXY", "the galaxy the recorded run started from (default none)"},
          {"--from", "K", "the first frame (default 0)"},
          {"--to", "K", "the last frame (default the recording's last)"},
          {"--double", nullptr, "gadget reals as doubles rather than the format's own floats"}}},
        {Command::Import, "import", "SNAPSHOT|TABLE",
         "Writes a galaxy file from a GADGET snapshot (format 1 or 2, either precision and byte order) or a table "
         "of the columns mass x y z vx vy vz.",
         {{"--out", "GALAXY", "the galaxy file to write (required)"},
          {"--size-of-star", "T", "Size of Star (default 20)"},
          {"--recording-speed", "N", "Recording Speed (default 5)"},
          {"--light-speed", "T", "Light Speed (default 30)"}}},
        {Command::Combine, "combine", "A_B",
         "Writes A's stars, then B's turned about its centre, moved and set moving: a collision.",
         {{"--out", "C", "the galaxy file to write, with A's Size of Star, Recording Speed and Light Speed (required)"},
          {"--offset", "X,Y,Z", "B's move (default 0,0,0)"},
          {"--velocity", "VX,VY,VZ", "added to B's velocities (default 0,0,0)"},
          {"--tilt", "DEGREES", "B's turn about the x axis (default 0)"},
          {"--spin", "DEGREES", "B's turn about the z axis, after the tilt (default 0)"}}},
    };
    return table;
}

// "A_B" names combine's two galaxies in one word for the help; the usage shows "A B".
std::string spaced(std::string words) {
    for (char& c : words)
        if (c == '_') c = ' ';
    return words;
}

const CommandEntry* findCommand(const std::string& name) {
    for (const CommandEntry& entry : commandTable())
        if (name == entry.name) return &entry;
    return nullptr;
}

const OptionEntry* findOption(const CommandEntry& entry, const std::string& name) {
    for (const OptionEntry& option : entry.options)
        if (name == option.name) return &option;
    return nullptr;
}

bool startsWithDashes(const std::string& text) { return text.rfind("--", 0) == 0; }

// Camera operations may be "--", two presses of "-", so these take the next argument as it is.
bool takesAnyValue(const std::string& option) { return option == "--camera" || option == "--turn"; }

// Joins "--name value" into "--name=value" for the options that take one, so a value that
// looks like an option ("-5,0,0", or "--" for the camera) stays a value. A value never starts
// with "--" otherwise: a forgotten value is told, not the next option taken for it.
bool joinValues(const CommandEntry& entry, const std::vector<std::string>& args, std::vector<std::string>& joined,
                std::string& problem) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionEntry* option = findOption(entry, arg);
        const size_t equals = arg.find('=');
        const OptionEntry* given = startsWithDashes(arg) ? findOption(entry, arg.substr(0, equals)) : nullptr;
        if (given && given->value && equals + 1 == arg.size()) {  // "--name=": an empty value
            joined.insert(joined.end(), {arg.substr(0, equals), ""});
            continue;
        }
        if (arg == "--") {
            problem = "a bare -- is no argument of " + std::string(entry.name);
            return false;
        }
        if (!option || !option->value) {
            joined.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size() || (startsWithDashes(args[i + 1]) && !takesAnyValue(arg))) {
            problem = "option " + arg + " needs a value";
            return false;
        }
        // CLI11 reads "--name=" as a name still waiting for its value: an empty one goes apart.
        const std::string& value = args[++i];
        if (value.empty()) joined.insert(joined.end(), {arg, value});
        else joined.push_back(arg + "=" + value);
    }
    return true;
}

size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// " (did you mean --seed?)" for an option a letter or two from one the command has.
std::string suggestion(const CommandEntry& entry, const std::vector<std::string>& extras) {
    for (const std::string& extra : extras) {
        const std::string name = extra.substr(0, extra.find('='));
        if (!startsWithDashes(name)) continue;
        const OptionEntry* best = nullptr;
        size_t bestDistance = 3;
        for (const OptionEntry& option : entry.options) {
            const size_t distance = editDistance(name, option.name);
            if (distance < bestDistance) {
                best = &option;
                bestDistance = distance;
            }
        }
        if (best) return std::string(" (did you mean ") + best->name + "?)";
    }
    return "";
}

// One line, whatever CLI11 wrote.
std::string oneLine(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

// The command's words and options after CLI11 has read the joined arguments.
bool readCommand(const CommandEntry& entry, const std::vector<std::string>& joined, CommandLine& line,
                 std::string& problem) {
    CLI::App app(entry.description, std::string("selvane-batch ") + entry.name);
    app.get_formatter()->column_width(30);
    std::map<std::string, std::string> values;
    std::vector<CLI::Option*> given;
    for (const OptionEntry& option : entry.options) {
        CLI::Option* added = option.value ? app.add_option(option.name, values[option.name], option.help)
                                                ->type_name(option.value)
                                          : app.add_flag(option.name, option.help);
        given.push_back(added);
    }
    // Named as the usage names them, so the help shows "selvane-batch run [OPTIONS] GALAXY".
    if (*entry.words) app.add_option(entry.words, line.words, entry.command == Command::Combine ? "galaxy A, then galaxy B" : "the input file")->type_name("")->expected(0, -1);
    std::vector<std::string> reversed(joined.rbegin(), joined.rend());  // CLI11 reads from the back
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        line.command = Command::Help;
        line.helpText = app.help();
        return true;
    } catch (const CLI::ExtrasError& error) {
        problem = std::string(entry.name) + ": " + oneLine(error.what()) + suggestion(entry, app.remaining());
        return false;
    } catch (const CLI::ParseError& error) {
        problem = std::string(entry.name) + ": " + oneLine(error.what());
        return false;
    }
    for (size_t o = 0; o < entry.options.size(); ++o)
        if (given[o]->count() > 0) line.options[entry.options[o].name] = values[entry.options[o].name];
    for (const std::string& word : line.words)
        if (startsWithDashes(word)) {  // CLI11 takes what follows "--" as words
            problem = std::string(entry.name) + " has no option " + word;
            return false;
        }
    return true;
}

bool requireWords(const CommandLine& line, size_t count, const std::string& refusal, std::string& problem) {
    if (line.words.size() == count) return true;
    problem = refusal;
    return false;
}

bool requireOptions(const CommandLine& line, std::initializer_list<const char*> names, const std::string& refusal,
                    std::string& problem) {
    for (const char* name : names)
        if (!line.options.count(name)) {
            problem = refusal;
            return false;
        }
    return true;
}

}  // namespace

bool isFlag(const std::string& option) { return option == "--frames" || option == "--double"; }

const std::vector<std::string>& knownOptions(Command command) {
    static const std::map<Command, std::vector<std::string>> known = [] {
        std::map<Command, std::vector<std::string>> names;
        for (const CommandEntry& entry : commandTable())
            for (const OptionEntry& option : entry.options) names[entry.command].push_back(option.name);
        return names;
    }();
    static const std::vector<std::string> none;
    const auto found = known.find(command);
    return found == known.end() ? none : found->second;
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

bool parseReal(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    double read = 0;
    if (readReal(text.data(), end, read) != end || !std::isfinite(read)) return false;
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
    if (name == "--help" || name == "-h" || name == "--version") {
        line.command = Command::Help;
        line.helpText = name == "--version" ? versionText() + "\n" : usageText();
        if (args.size() == 1) return true;
        problem = name + " takes no argument";
        return false;
    }
    const CommandEntry* entry = findCommand(name);
    if (!entry) {
        problem = "unknown command '" + name + "'";
        return false;
    }
    line.command = entry->command;
    std::vector<std::string> joined;
    if (!joinValues(*entry, args, joined, problem) || !readCommand(*entry, joined, line, problem)) return false;
    if (line.command == Command::Help) return true;

    switch (line.command) {
        case Command::Compose:
            if (!requireWords(line, 0, "compose takes no argument '" + (line.words.empty() ? "" : line.words[0]) + "'",
                              problem) ||
                !requireOptions(line, {"--out"}, "compose needs --out FILE", problem))
                return false;
            if (line.options.count("--seed")) {
                if (!parseWholeNumber(line.options["--seed"], 0, LLONG_MAX, line.seed)) {
                    problem = "--seed takes a whole number of milliseconds, not '" + line.options["--seed"] + "'";
                    return false;
                }
                line.hasSeed = true;
            }
            return true;
        case Command::Run:
            if (!requireWords(line, 1, "run needs exactly one GALAXY file", problem)) return false;
            if (!line.options.count("--steps") || !parseWholeNumber(line.options["--steps"], 0, LLONG_MAX, line.steps)) {
                problem = "run needs --steps N with a whole number N of 0 or more";
                return false;
            }
            return true;
        case Command::Info: return requireWords(line, 1, "info needs exactly one RECORDING file", problem);
        case Command::Render:
            return requireWords(line, 1, "render needs exactly one RECORDING file", problem) &&
                   requireOptions(line, {"--out"}, "render needs --out DIR or --out FILE.mp4", problem);
        case Command::Export:
            return requireWords(line, 1, "export needs exactly one RECORDING or GALAXY file", problem) &&
                   requireOptions(line, {"--out", "--format"}, "export needs --out DIR|FILE and --format gadget|vtk",
                                  problem);
        case Command::Import:
            return requireWords(line, 1, "import needs exactly one SNAPSHOT or TABLE file", problem) &&
                   requireOptions(line, {"--out"}, "import needs --out GALAXY", problem);
        case Command::Combine:
            return requireWords(line, 2, "combine needs two GALAXY files, A and B", problem) &&
                   requireOptions(line, {"--out"}, "combine needs --out GALAXY", problem);
        case Command::Help: break;
    }
    return true;
}

std::string usageText() {
    std::string text;
    for (const CommandEntry& entry : commandTable()) {
        text += text.empty() ? "usage: " : "       ";
        text += std::string("selvane-batch ") + entry.name;
        if (*entry.words) text += " " + spaced(entry.words);
        for (const OptionEntry& option : entry.options) {
            const bool required = std::string(option.help).find("(required)") != std::string::npos;
            const std::string shown = std::string(option.name) + (option.value ? std::string(" ") + option.value : "");
            text += required ? " " + shown : " [" + shown + "]";
        }
        text += '\n';
    }
    return text +
           "       selvane-batch --help | --version | COMMAND --help\n"
           "         (OPS: the viewing buttons < > ^ v x + -, each one press; --name=value works as --name value)\n";
}

std::string versionText() { return "selvane-batch " SELVANE_VERSION " (commit " SELVANE_COMMIT ")"; }

}  // namespace selvane::batch
