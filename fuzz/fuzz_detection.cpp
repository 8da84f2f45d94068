// Content detection of data files on arbitrary bytes.
#include "data/file_kind.h"
#include "silent_port.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tarnova::fuzz::openRunLog();
    tarnova::kindFromContent(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
