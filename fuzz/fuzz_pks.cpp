// The PKS reader on arbitrary bytes; what it reads must come back through the writer, and so
// must the exclusions, methods and filter stored in its comments, each naming its own peak.
#include "data/pks_format.h"
#include "data/stored_reduction.h"
#include "document/stored_exclusions.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnova;
    const auto file = parsePksFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file) {
        return 0;
    }
    const auto labelled = [](const std::vector<PeakRecord>& peaks) {
        return std::count_if(peaks.begin(), peaks.end(),
                             [](const PeakRecord& peak) { return !peak.elem.empty(); });
    };
    if (labelled(file->peaks) == 0) {
        return 0;
    }
    const StoredReduction stored = StoredReductionOf(file->note);
    const DataNote written = NoteWithReduction(&file->note, stored);
    const auto back = parsePksFile(pksFileText(file->peaks, &written));
    if (!back || labelled(back->peaks) != labelled(file->peaks) ||
        back->note.tags.size() != written.tags.size() || StoredReductionOf(back->note) != stored) {
        std::abort();
    }
    const std::vector<int> matches = MatchExclusions(stored.exclusions, file->peaks);
    std::vector<int> taken;
    for (const int peak : matches) {
        if (peak >= 0) {
            taken.push_back(peak);
        }
    }
    std::sort(taken.begin(), taken.end());
    if (std::adjacent_find(taken.begin(), taken.end()) != taken.end()) {
        std::abort();
    }
    return 0;
}
