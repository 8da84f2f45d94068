// Peak records for tests, without GoogleTest, so that the core tests and the Qt tests share them.
#pragma once

#include "data/peak_sheet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnova::test {

inline PeakRecord makePeak(std::string label, double time, double height = 1.0, double range = 1.0,
                           PeakFlags flags = {}) {
    PeakRecord peak;
    peak.elem = std::move(label);
    peak.time = time;
    peak.height = height;
    peak.range = range;
    peak.flags = flags;
    return peak;
}

// count peaks at times 0, 1, 2, ..., labelled Ar40 and Ar36 in turn, height 1.5, range 10.
inline std::vector<PeakRecord> numberedPeaks(int count) {
    std::vector<PeakRecord> peaks;
    for (int i = 0; i < count; ++i) {
        peaks.push_back(makePeak(i % 2 == 0 ? "Ar40" : "Ar36", i, 1.5, 10.0));
    }
    return peaks;
}

// Four cycles of an argon measurement: Ar36, Ar38 and Ar40, ten seconds apart.
inline std::vector<PeakRecord> argonPeaks() {
    std::vector<PeakRecord> peaks;
    for (int cycle = 0; cycle < 4; ++cycle) {
        const double t = 10.0 * cycle;
        peaks.push_back(makePeak("Ar36", t + 1, 1.0 + 0.01 * cycle));
        peaks.push_back(makePeak("Ar38", t + 2, 5.0, 0.1));
        peaks.push_back(makePeak("Ar40", t + 3, 2.955 + 0.001 * cycle, 100.0));
    }
    return peaks;
}

} // namespace tarnova::test
