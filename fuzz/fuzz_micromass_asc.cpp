// The Micromass ASC import (usual and helium analyses) on arbitrary bytes, and what it imports
// saved as PKS and DAT.
#include "data/micromass_asc.h"
#include "saved_import.h"
#include "silent_port.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnova::fuzz::openRunLog();
    tarnova::fuzz::SilentPort port;
    const auto file = tarnova::parseMicromassAsc(
        std::string_view(reinterpret_cast<const char*>(data), size), port);
    if (file) {
        tarnova::fuzz::saveImport(*file);
    }
    return 0;
}
