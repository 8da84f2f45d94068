// The peaks of each label in a calculation's peak list, found once per calculation, so that a
// record visits only the peaks of its own labels: the regressions of every label of a long
// measurement then cost time in proportion to the peaks, not to peaks x labels.
#pragma once

#include "data/peak_sheet.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnova {

class PeakLabelIndex final {
  public:
    explicit PeakLabelIndex(const std::vector<PeakRecord>& peaks);

    // The positions in the peak list of the peaks labelled label, ascending; empty for none.
    const std::vector<std::uint32_t>& positions(std::string_view label) const;

  private:
    std::unordered_map<std::uint32_t, std::vector<std::uint32_t>> positions_; // by PeakLabel::id()
};

} // namespace tarnova
