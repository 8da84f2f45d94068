// The Micromass ASC import: the text export of the Micromass noble-gas software, either the
// usual analysis (one line per peak and cycle) or the helium analysis (one line per cycle,
// giving 3He and 4He as differences of two columns each).
#pragma once

#include "data/peak_file_content.h"
#include "platform/user_interface_port.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// Reads a Micromass ASC file's content, with the messages (caption "Tarnova") and run-log
// lines of the import; none when it is refused.
std::optional<PeakFileContent> parseMicromassAsc(std::string_view content, UserInterfacePort& ui);

// Reads the file at path. On success the file's data note (PKS form, no path) has become
// currentDataNote; on failure nothing changes.
std::optional<std::vector<PeakRecord>> ReadMicromassAsc(const std::string& path,
                                                        UserInterfacePort& ui);

} // namespace tarnova
