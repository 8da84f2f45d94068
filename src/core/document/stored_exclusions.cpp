#include "document/stored_exclusions.h"

#include "data/pks_format.h"
#include "document/peak_list_extraction.h"

#include <map>

namespace tarnova {

std::pair<std::string, long> ExclusionKey(const std::string& label, long hundredths) {
    return {recognizedLabel(label).value_or(label), hundredths};
}

std::vector<int> MatchExclusions(std::span<const StoredExclusion> exclusions,
                                 std::span<const PeakRecord> peaks) {
    std::vector<int> matches(exclusions.size(), -1);
    if (exclusions.empty()) {
        return matches;
    }
    // The exclusions waiting for a peak, by key, in their order.
    std::map<std::pair<std::string, long>, std::vector<std::size_t>> waiting;
    for (std::size_t i = exclusions.size(); i-- > 0;) {
        waiting[ExclusionKey(exclusions[i].label, exclusions[i].hundredths)].push_back(i);
    }
    for (std::size_t p = 0; p < peaks.size() && !waiting.empty(); ++p) {
        if (peaks[p].elem.empty()) {
            continue;
        }
        const auto found = waiting.find(ExclusionKey(peaks[p].elem, pksHundredths(peaks[p].time)));
        if (found == waiting.end()) {
            continue;
        }
        matches[found->second.back()] = static_cast<int>(p);
        found->second.pop_back();
        if (found->second.empty()) {
            waiting.erase(found);
        }
    }
    return matches;
}

} // namespace tarnova
