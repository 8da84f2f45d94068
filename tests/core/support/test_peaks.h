// Peak records and data notes for tests.
#pragma once

#include "data/peak_sheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <string>

namespace tarnova::test {

inline PeakRecord makePeak(std::string label, double time, double height, double range = 1.0,
                           PeakFlags flags = {}) {
    PeakRecord peak;
    peak.elem = std::move(label);
    peak.time = time;
    peak.height = height;
    peak.range = range;
    peak.flags = flags;
    return peak;
}

// Whether a peak has this label and these numbers (each within four units in the last place).
inline ::testing::AssertionResult peakIs(const PeakRecord& peak, const std::string& elem,
                                         double time, double height, double range) {
    using ::testing::DoubleEq;
    using ::testing::Value;
    if (peak.elem == elem && Value(peak.time, DoubleEq(time)) &&
        Value(peak.height, DoubleEq(height)) && Value(peak.range, DoubleEq(range))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << std::setprecision(17) << "peak \"" << peak.elem << "\" " << peak.time << " "
           << peak.height << " " << peak.range << ", expected \"" << elem << "\" " << time << " "
           << height << " " << range;
}

// Installs a data note named "kept" that a refused file must leave in place; releases the
// current note at the end.
class KeptNote {
  public:
    KeptNote() {
        DataNote note;
        note.name = "kept";
        InstallDataNote(note);
    }
    ~KeptNote() { ReleaseDataNote(); }
    KeptNote(const KeptNote&) = delete;
    KeptNote& operator=(const KeptNote&) = delete;

    static bool stillKept() { return currentDataNote() && currentDataNote()->name == "kept"; }
};

} // namespace tarnova::test
