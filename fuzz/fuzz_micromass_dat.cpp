// The Micromass DAT import on arbitrary bytes, announced counts included.
#include "data/micromass_dat.h"
#include "silent_port.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnova::fuzz::SilentPort port;
    tarnova::parseMicromassDat(std::string_view(reinterpret_cast<const char*>(data), size), port);
    return 0;
}
