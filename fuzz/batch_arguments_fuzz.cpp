// Splits arbitrary bytes at NULs into a selvane-batch command line. An accepted line must
// hold only the command's options, no value that looks like an option (camera operations
// aside), checked numbers, and must read back the same from the arguments it stands for; a
// refused one names its problem on one line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "batch/arguments.h"

using selvane::batch::Command;
using selvane::batch::CommandLine;

namespace {

std::vector<std::string> argumentsOf(const CommandLine& line) {
    static const char* names[] = {"--help", "compose", "run", "info", "render", "export", "import", "combine"};
    std::vector<std::string> args = {names[static_cast<int>(line.command)]};
    for (const auto& [name, value] : line.options) {
        args.push_back(name);
        if (!selvane::batch::isFlag(name)) args.push_back(value);
    }
    args.insert(args.end(), line.words.begin(), line.words.end());
    return args;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> args;
    if (size > 0) args.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back().push_back(static_cast<char>(data[i]));
    }
    CommandLine line;
    std::string problem;
    if (!selvane::batch::parseCommandLine(args, line, problem)) {
        if (problem.empty()) std::abort();
        // One line, unless it quotes an argument holding a line break.
        bool quotesBreak = false;
        for (const auto& arg : args) quotesBreak = quotesBreak || arg.find('\n') != std::string::npos;
        if (problem.find('\n') != std::string::npos && !quotesBreak) std::abort();
        return 0;
    }
    if (line.command == Command::Help) {  // the usage, the version or a command's help
        if (args.empty() || line.helpText.empty()) std::abort();
        return 0;
    }
    const auto& known = selvane::batch::knownOptions(line.command);
    for (const auto& [name, value] : line.options) {
        bool isKnown = false;
        for (const auto& k : known) isKnown = isKnown || k == name;
        const bool anyValue = name == "--camera" || name == "--turn";  // "--" is two presses of "-"
        if (!isKnown || (value.rfind("--", 0) == 0 && !anyValue)) std::abort();
        if (selvane::batch::isFlag(name) && !value.empty()) std::abort();
    }
    for (const auto& word : line.words)
        if (word.rfind("--", 0) == 0) std::abort();
    if (line.seed < 0 || line.steps < 0 || line.hasSeed != (line.options.count("--seed") > 0)) std::abort();
    if (line.command == Command::Compose && (!line.words.empty() || !line.options.count("--out"))) std::abort();
    const size_t words = line.command == Command::Compose ? 0 : line.command == Command::Combine ? 2 : 1;
    if (line.words.size() != words) std::abort();

    CommandLine again;
    if (!selvane::batch::parseCommandLine(argumentsOf(line), again, problem)) std::abort();
    if (again.options != line.options || again.words != line.words || again.seed != line.seed ||
        again.steps != line.steps)
        std::abort();
    return 0;
}
