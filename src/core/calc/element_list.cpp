#include "calc/element_list.h"

#include "calc/calc_state.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_set>

namespace tarnova {

bool BuildElementList(CalcState& state) {
    if (state.peaks.empty()) {
        LogLine("Invalid parameter.");
        return false;
    }
    ElementList collected;
    try {
        // The labels seen so far, so that a long peak list costs one lookup per peak.
        std::unordered_set<std::uint32_t> seen;
        for (const PeakRecord& peak : state.peaks) {
            if (!seen.insert(peak.elem.id()).second) {
                continue;
            }
            collected.push_back({0, peak.elem.str()});
            LogLine(formatText("New element %s is found.", peak.elem.c_str()));
        }
    } catch (const std::bad_alloc&) {
        LogLine("Not enough stack.");
        return false;
    }
    if (collected.empty()) {
        LogLine("No element is found.");
        return false;
    }
    std::sort(collected.begin(), collected.end(),
              [](const ElementEntry& a, const ElementEntry& b) { return a.label < b.label; });
    state.elements = std::move(collected);
    return true;
}

} // namespace tarnova
