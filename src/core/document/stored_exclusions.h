// The peaks of a sheet that stored exclusions name (data/stored_reduction.h).
#pragma once

#include "data/peak_sheet.h"
#include "data/stored_reduction.h"

#include <span>
#include <vector>

namespace tarnova {

// The index in peaks of the peak that each exclusion names, or -1 when it names none. Labels
// are compared as a calculation recognises them (recognizedLabel), times as the PKS format
// writes them (whole hundredths); of several peaks with the same label and time, each exclusion
// takes the first one not yet taken, in the order of peaks, so that no exclusion falls on
// another peak.
std::vector<int> MatchExclusions(std::span<const StoredExclusion> exclusions,
                                 std::span<const PeakRecord> peaks);

// The key an exclusion and a peak are compared by: the recognised label (the whole label when
// none is recognised) and the time in hundredths.
std::pair<std::string, long> ExclusionKey(const std::string& label, long hundredths);

} // namespace tarnova
