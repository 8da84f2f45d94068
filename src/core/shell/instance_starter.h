// Further documents live in further processes of the program, one file each.
#pragma once

#include <functional>
#include <string>

namespace tarnova {

// Starts a new process of the program with one file name as its only argument, without
// waiting for it and without keeping anything of it. The GUI starts a detached process; tests
// record the calls.
using InstanceStarter = std::function<void(const std::string& executable, const std::string& file)>;

// The executable of further processes: the program's folder followed by the program's name.
std::string FurtherInstanceExecutable(const std::string& loadPath);

} // namespace tarnova
