// The PKS reader on arbitrary bytes; what it reads must come back through the writer.
#include "data/pks_format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

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
    const auto back = parsePksFile(pksFileText(file->peaks, &file->note));
    if (!back || labelled(back->peaks) != labelled(file->peaks) ||
        back->note.tags.size() != file->note.tags.size()) {
        std::abort();
    }
    return 0;
}
