// Peak records and data notes for tests.
#pragma once

#include "data/peak_sheet.h"

#include <cstdint>
#include <string>

namespace tarnova::test {

inline PeakRecord makePeak(std::string label, double time, double height, double range = 1.0,
                           std::uint32_t flags = 0) {
    PeakRecord peak;
    peak.elem = std::move(label);
    peak.time = time;
    peak.height = height;
    peak.range = range;
    peak.flags = flags;
    return peak;
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
