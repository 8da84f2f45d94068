// Where the program's own files live. A portable program (the help file TARNOVA.HLP beside the
// executable, as in the build tree or an unpacked folder) keeps TARNOVA.INI beside the executable
// too. An installed program (the help file in share/tarnova/ of the executable's prefix) reads
// the help from there and keeps TARNOVA.INI in the user's configuration folder, because the
// folder of the executable is not the user's to write.
#pragma once

#include <optional>
#include <string>

namespace tarnova {

// The environment variables that decide the user's folders; none when unset.
struct UserEnvironment {
    std::optional<std::string> home;       // HOME
    std::optional<std::string> configHome; // XDG_CONFIG_HOME
};

// The variables of the running process.
UserEnvironment processEnvironment();

struct ProgramFiles {
    bool installed = false;
    std::string helpFile;     // TARNOVA.HLP
    std::string settingsFile; // TARNOVA.INI
    // The folder an empty data path stands for, ending in "/": the executable's folder of a
    // portable program, the user's home folder of an installed one.
    std::string homeFolder;
};

// The files of a program whose executable lies in loadPath (ending in "/", or empty when the
// executable's folder is unknown: then the bare file names). Installed, TARNOVA.INI is
// $XDG_CONFIG_HOME/tarnova/TARNOVA.INI, or ~/.config/tarnova/TARNOVA.INI when that variable is
// unset or not an absolute path. Without a home folder (HOME unset or relative) the program
// stays portable.
ProgramFiles LocateProgramFiles(const std::string& loadPath, const UserEnvironment& environment);

} // namespace tarnova
