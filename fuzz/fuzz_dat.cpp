// The DAT reader on arbitrary bytes; what it reads must come back through the writer.
#include "data/dat_format.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarnova;
    const auto file = parseDatFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!file) {
        return 0;
    }
    const auto text = datFileText(file->peaks, &file->note);
    if (!text) {
        return 0;
    }
    const auto back = parseDatFile(*text);
    if (!back || back->note.name != file->note.name || back->note.date != file->note.date ||
        back->note.spikeId != file->note.spikeId) {
        std::abort();
    }
    return 0;
}
