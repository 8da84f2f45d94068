// Splitting a text into its lines or a line into its fields.
#pragma once

#include <string>
#include <vector>

namespace tarnova::test {

// The parts of text between separators (an output's lines, a line's tab-separated fields).
inline std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(separator); at != std::string::npos;
         at = text.find(separator, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

} // namespace tarnova::test
