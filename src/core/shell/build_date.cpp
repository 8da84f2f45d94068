#include "shell/build_date.h"

namespace tarnova {

std::string BuildDateText(std::string_view compilerDate) {
    std::string text = "Build:";
    std::size_t position = 0;
    while (position < compilerDate.size()) {
        const std::size_t start = compilerDate.find_first_not_of(' ', position);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(compilerDate.find(' ', start), compilerDate.size());
        text += ' ';
        text += compilerDate.substr(start, end - start);
        position = end;
    }
    return text;
}

} // namespace tarnova
