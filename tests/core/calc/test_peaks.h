// Peaks for calculation tests.
#pragma once

#include "data/peak_sheet.h"

#include <cstdint>

namespace tarnova::test {

inline PeakRecord makePeak(const char* label, double time, double height, double range = 1.0,
                           std::uint32_t flags = 0) {
    PeakRecord peak;
    peak.elem = label;
    peak.time = time;
    peak.height = height;
    peak.range = range;
    peak.flags = flags;
    return peak;
}

} // namespace tarnova::test
