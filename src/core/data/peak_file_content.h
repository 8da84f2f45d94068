// What a reader makes of a data file: the peaks and the data note that goes with them.
#pragma once

#include "data/peak_sheet.h"

#include <vector>

namespace tarnova {

struct PeakFileContent {
    std::vector<PeakRecord> peaks;
    DataNote note; // its path is unset
};

} // namespace tarnova
