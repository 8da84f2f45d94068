// What a reader makes of a data file: the peaks and the data note that goes with them.
#pragma once

#include "data/peak_sheet.h"

#include <optional>
#include <vector>

namespace tarnova {

struct PeakFileContent {
    std::vector<PeakRecord> peaks;
    DataNote note; // its path is unset
};

// What a reader hands on: when the file was read, its note becomes currentDataNote and its
// peaks are returned; otherwise nothing changes.
inline std::optional<std::vector<PeakRecord>> installPeakFile(std::optional<PeakFileContent> file) {
    if (!file) {
        return std::nullopt;
    }
    InstallDataNote(std::move(file->note));
    return std::move(file->peaks);
}

} // namespace tarnova
