#include "cli/drawing_program.h"

#include "cli/commands.h"
#include "platform/load_path.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

// The installed drawing program's folder seen from the folder of tarnova-cli (set by the build
// from the installation folders).
#ifndef TARNOVA_DRAWING_FOLDER
#define TARNOVA_DRAWING_FOLDER "../libexec/tarnova"
#endif

namespace tarnova::cli {

std::string DrawingProgramPath(const std::string& cliFolder, const std::string& relativeFolder) {
    const std::string beside = cliFolder + kDrawingProgramName;
    const std::string installed = cliFolder + relativeFolder + "/" + kDrawingProgramName;
    for (const std::string& candidate : {beside, installed}) {
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return beside;
}

int RunDrawingProgram(char** argv) {
    std::string self = ExecutablePath();
    if (self.empty()) {
        self = argv[0];
    }
    const std::string program = DrawingProgramPath(LoadPathOf(self), TARNOVA_DRAWING_FOLDER);
    std::vector<char*> arguments{self.data()};
    for (char** argument = argv + 1; *argument != nullptr; ++argument) {
        arguments.push_back(*argument);
    }
    arguments.push_back(nullptr);
    ::execv(program.c_str(), arguments.data());
    reportUsageProblem(std::string("the drawing program ") + program +
                       " cannot be started: " + std::strerror(errno));
    return 1;
}

} // namespace tarnova::cli
