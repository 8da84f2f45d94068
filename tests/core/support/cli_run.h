// Runs tarnova-cli in a test's folder as a user runs it, and hands back its exit code and output.
#pragma once

#include "core/support/temp_folder.h"
#include "core/support/text_parts.h"

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tarnova::test {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// program is the shell words that start the tool (an environment set before it, another copy).
inline CliRun runCli(const TempFolder& folder, const std::string& arguments,
                     const std::string& program = "'" TARNOVA_CLI_PATH "'") {
    const std::string command = "cd '" + folder.path("") + "' && " + program + " " + arguments +
                                " >'" + folder.path("stdout") + "' 2>'" + folder.path("stderr") +
                                "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.read("stdout"),
            folder.read("stderr")};
}

// Whether arguments start a command that draws (graph, report) in a build without the drawing
// program: tests leave such calls out.
inline bool drawsWithoutDrawing(const std::string& arguments) {
    return !TARNOVA_CLI_DRAWS &&
           (arguments.starts_with("graph") || arguments.starts_with("report"));
}

// A measurement of ratios N/D 3, 3.3 and 3.15 at times 2, 4 and 6 (D is 1 throughout) as
// run.pks, and TARNOVA.INI with 95 % limits, written into folder.
inline void writeRatioRun(const TempFolder& folder) {
    folder.write("run.pks", "\"NAME\",\"Test 1\"\r\n"
                            "  100,   1.00000000E+000, \"D\"\r\n"
                            "  200,   3.00000000E+000, \"N\"\r\n"
                            "  300,   1.00000000E+000, \"D\"\r\n"
                            "  400,   3.30000000E+000, \"N\"\r\n"
                            "  500,   1.00000000E+000, \"D\"\r\n"
                            "  600,   3.15000000E+000, \"N\"\r\n"
                            "  700,   1.00000000E+000, \"D\"\r\n");
    folder.write("TARNOVA.INI", "[regression]\r\nconf95=true\r\n");
}

} // namespace tarnova::test
