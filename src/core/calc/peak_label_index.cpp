#include "calc/peak_label_index.h"

#include <optional>

namespace tarnova {

PeakLabelIndex::PeakLabelIndex(const std::vector<PeakRecord>& peaks) {
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        positions_[peaks[i].elem.id()].push_back(static_cast<std::uint32_t>(i));
    }
}

const std::vector<std::uint32_t>& PeakLabelIndex::positions(std::string_view label) const {
    static const std::vector<std::uint32_t> none;
    const std::optional<PeakLabel> known = PeakLabel::find(label);
    if (!known) {
        return none;
    }
    const auto found = positions_.find(known->id());
    return found == positions_.end() ? none : found->second;
}

} // namespace tarnova
