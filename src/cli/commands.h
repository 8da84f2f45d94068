// The subcommands of tarnova-cli. Each returns the process exit code:
// 0 success, 1 failure, 2 usage error.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Arguments& arguments);
};

// Runs command with the arguments after argv[1] (its name): prints its help when they hold
// --help, and fails when standard output could not be written.
int runCommand(const Command& command, int argc, char** argv);

// The executable's folder, ending in "/": where TARNOVA.INI is looked for by default.
std::string executableFolder();

int usageError(const char* usage);
// Whether output names an existing file that is one of inputs (through whatever name); the
// problem is then named on stderr. Writing it would replace what the command reads.
bool outputNamesInput(const std::string& output, const std::vector<std::string>& inputs);
// Names what is wrong with the command line on stderr, before the usage: "tarnova-cli: problem".
void reportUsageProblem(const std::string& problem);
// The problem of the option at index of the command line: unknown, repeated, or without the
// value it needs; none when it is known, given once and (with needsValue) followed by a value.
std::optional<std::string> optionProblem(const Arguments& arguments, std::size_t index, bool known,
                                         bool repeated, bool needsValue = true);
// The arguments without flag (an option without a value), and whether it was given; none, after
// naming the problem, when it was given twice.
std::optional<Arguments> takeFlag(const Arguments& arguments, std::string_view flag, bool& given);

} // namespace tarnova::cli
