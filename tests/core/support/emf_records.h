// The records of an EMF file, read back for tests: type, size and body of each record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tarnova::test {

struct EmfRecord {
    std::uint32_t type = 0;
    std::string body; // the bytes after type and size

    std::int32_t field(std::size_t offset) const {
        std::int32_t value = 0;
        if (offset + 4 <= body.size()) {
            std::memcpy(&value, body.data() + offset, 4);
        }
        return value;
    }
    std::u16string units(std::size_t offset, std::size_t count) const {
        std::u16string text(count, u'\0');
        if (offset + 2 * count <= body.size()) {
            std::memcpy(text.data(), body.data() + offset, 2 * count);
        }
        return text;
    }
};

// The records in file order; empty when a size is not a positive multiple of four or runs
// past the end.
inline std::vector<EmfRecord> readEmfRecords(const std::string& bytes) {
    std::vector<EmfRecord> records;
    std::size_t at = 0;
    while (at + 8 <= bytes.size()) {
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        std::memcpy(&type, bytes.data() + at, 4);
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (size < 8 || size % 4 != 0 || at + size > bytes.size()) {
            return {};
        }
        records.push_back({type, bytes.substr(at + 8, size - 8)});
        at += size;
    }
    return at == bytes.size() ? records : std::vector<EmfRecord>{};
}

} // namespace tarnova::test
