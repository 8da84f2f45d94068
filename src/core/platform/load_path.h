// Where the program lives: the INI file, the help file and further instances are found there.
#pragma once

#include <string>

namespace tarnova {

// Full path of the running executable (from /proc/self/exe); empty when it cannot be read.
std::string ExecutablePath();
// The folder part of an executable path, ending in "/"; empty when the path has no "/".
std::string LoadPathOf(const std::string& executablePath);

// The process-wide load path, set once at start-up.
const std::string& loadPath();
void setLoadPath(std::string path);

} // namespace tarnova
