// Files dropped onto the main window: the first replaces the sheet, every further one goes to a
// new process of the program.
#pragma once

#include "shell/instance_starter.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnova {

class UserInterfacePort;

struct FileDropHooks {
    // Asked once before anything is loaded: may the current sheet be replaced? (Unsaved edits
    // are offered for saving there.) False ends the drop.
    std::function<bool()> mayReplaceSheet;
    // Loads one file into this window.
    std::function<void(const std::string& path)> loadFile;
    InstanceStarter startInstance;
};

// Handles the dropped files in the order given, with the program's folder loadPath.
void ProcessDroppedFiles(const std::vector<std::string>& paths, const std::string& loadPath,
                         const FileDropHooks& hooks, UserInterfacePort& port);

} // namespace tarnova
