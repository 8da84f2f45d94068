#include "calc/element_list.h"

#include "calc/calc_state.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <algorithm>
#include <new>
#include <string_view>
#include <unordered_set>

namespace tarnova {

int BuildElementList(CalcState& state) {
    if (state.peaks.empty()) {
        LogLine("Invalid parameter.");
        return 0;
    }
    ElementList collected;
    try {
        // The labels seen so far, so that a long peak list costs one lookup per peak.
        std::unordered_set<std::string_view> seen;
        for (const PeakRecord& peak : state.peaks) {
            if (!seen.insert(peak.elem).second) {
                continue;
            }
            collected.push_back({0, peak.elem});
            LogLine(formatText("New element %s is found.", peak.elem.c_str()));
        }
    } catch (const std::bad_alloc&) {
        LogLine("Not enough stack.");
        return 0;
    }
    if (collected.empty()) {
        LogLine("No element is found.");
        return 0;
    }
    std::sort(collected.begin(), collected.end(),
              [](const ElementEntry& a, const ElementEntry& b) { return a.label < b.label; });
    state.elements = std::move(collected);
    return 1;
}

} // namespace tarnova
