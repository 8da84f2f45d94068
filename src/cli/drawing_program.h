// The commands that draw (graph, report) live in a program of their own, tarnova-cli-draw, so
// that tarnova-cli itself starts without Qt and CUPS: it hands those commands over whole.
#pragma once

#include "cli/reduction.h"

#include <string>

namespace tarnova::cli {

constexpr const char* kDrawingProgramName = "tarnova-cli-draw";

constexpr const char* kGraphUsage =
    "tarnova-cli graph FILE " TARNOVA_REDUCTION_USAGE
    " [--record NAME] [--size WxH] --output OUT.emf|OUT.svg|OUT.png";
constexpr const char* kReportUsage =
    "tarnova-cli report FILE " TARNOVA_REDUCTION_USAGE
    " [--paper a4|letter] [--landscape] --output OUT.pdf|--printer QUEUE";

// Where tarnova-cli, whose folder is cliFolder (ending in "/"), finds the drawing program:
// beside itself (the build tree, an unpacked folder), else in relativeFolder seen from its own
// folder (the installed layout); the first of them that is an executable file, or the first
// when neither is.
std::string DrawingProgramPath(const std::string& cliFolder, const std::string& relativeFolder);

// Replaces this process by the drawing program with the same arguments; argv[0] becomes the
// path of this tarnova-cli, from whose folder the drawing program takes TARNOVA.INI and the help
// as tarnova-cli does. Returns only when the program cannot be started (named on stderr): 1.
int RunDrawingProgram(char** argv);

} // namespace tarnova::cli
