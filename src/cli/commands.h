// The subcommands of tarnova-cli. Each returns the process exit code:
// 0 success, 1 failure, 2 usage error.
#pragma once

#include <string>
#include <vector>

namespace tarnova::cli {

using Arguments = std::vector<std::string>;

struct Command {
    const char* name;
    const char* usage;
    int (*run)(const Arguments& arguments);
};

// The executable's folder, ending in "/": where TARNOVA.INI is looked for by default.
std::string executableFolder();

int usageError(const char* usage);

} // namespace tarnova::cli
