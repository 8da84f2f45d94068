// Runs tarnova-cli in a test's folder as a user runs it, and hands back its exit code and output.
#pragma once

#include "core/support/temp_folder.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>

namespace tarnova::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline CliRun runCli(const TempFolder& folder, const std::string& arguments) {
    const std::string command = "cd '" + folder.path("") + "' && '" TARNOVA_CLI_PATH "' " +
                                arguments + " >'" + folder.path("stdout") + "' 2>'" +
                                folder.path("stderr") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.read("stdout"),
            folder.read("stderr")};
}

} // namespace tarnova::test
