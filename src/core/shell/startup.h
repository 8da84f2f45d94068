// Start-up of the program: run log option, load path, settings and the command line's files.
#pragma once

#include "shell/instance_starter.h"

#include <functional>
#include <string>
#include <string_view>

namespace tarnova {

class UserInterfacePort;

// What start-up needs from the windowing side.
struct StartupHooks {
    // Opens the run-log window, or finds the open one; true when a log window exists afterwards.
    std::function<bool()> openLogWindow;
    // Reads the options file into the settings and the grid's column formats.
    std::function<void()> loadSettings;
    // Starts a further process for one file of the command line.
    InstanceStarter startInstance;
};

struct StartupResult {
    bool succeeded = false;
    // The executable that further files are handed to.
    std::string furtherInstanceExecutable;
};

// Runs the start-up steps up to the creation of the main window. commandLine is the whole line
// as received (the arguments joined); executablePath the full path of the running program.
// The first file name is left as the path of an empty currentDataNote for the main window to
// load; every further one starts a new process. Messages go to port; on failure the
// initialisation failure message follows the step's own.
StartupResult RunStartup(std::string_view commandLine, const std::string& executablePath,
                         const StartupHooks& hooks, UserInterfacePort& port);

// A file token of the command line as a file name: one leading double quote is skipped and the
// name ends at the first remaining double quote.
std::string FileNameOfToken(std::string_view token);

} // namespace tarnova
