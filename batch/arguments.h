#pragma once
#include <map>
#include <string>
#include <vector>

namespace selvane::batch {

enum class Command { Help, Compose, Run, Info, Render, Export, Import, Combine };

// A command line that has passed every check that needs no file.
struct CommandLine {
    Command command = Command::Help;
    std::string helpText;                        // what Help prints: the usage, a command's help, the version
    std::map<std::string, std::string> options;  // "--name" -> value, each name at most once
    std::vector<std::string> words;              // plain arguments in order
    bool hasSeed = false;
    long long seed = 0;   // --seed, 0 or more
    long long steps = 0;  // --steps of run, 0 or more
};

// The options each command takes.
const std::vector<std::string>& knownOptions(Command command);

// Options that are there or not and take no value; an accepted line holds "" for them.
bool isFlag(const std::string& option);

// Reads the arguments after the program name ("--name value" and "--name=value" alike). False
// with a one-line `problem` (naming what is wrong, without the usage) when they do not make a
// command; `selvane-batch --help`, `--version` and `COMMAND --help` give Command::Help.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& line, std::string& problem);

// A decimal whole number within [low, high] and nothing else.
bool parseWholeNumber(const std::string& text, long long low, long long high, long long& value);

// A finite real, read as the galaxy file reads one, and nothing else.
bool parseReal(const std::string& text, double& value);

std::string usageText();

// "selvane-batch VERSION (commit ...)".
std::string versionText();

}  // namespace selvane::batch
