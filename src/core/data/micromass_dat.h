// The Micromass DAT import: the binary file of the Micromass instrument software, a fixed
// header, a table of peak items and one value and time per item and cycle.
#pragma once

#include "data/peak_file_content.h"
#include "platform/user_interface_port.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Reads a Micromass DAT file's bytes, with the import's messages (caption "Check"); none
// when it is refused. Counts that the bytes cannot hold are refused before anything is
// allocated for them.
std::optional<PeakFileContent> parseMicromassDat(std::string_view bytes, UserInterfacePort& ui);

// Reads the file at path. On success the file's data note (PKS form with "Date:" and "ID:",
// no path) has become currentDataNote; on failure nothing changes.
std::optional<std::vector<PeakRecord>> ReadMicromassDat(const std::string& path,
                                                        UserInterfacePort& ui);

} // namespace tarnova
