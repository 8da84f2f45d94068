#include "editor/cell_number.h"

#include "platform/text_scanner.h"

namespace tarnova {

double cellNumber(std::string_view text) {
    TextScanner scanner(text);
    double value = 0.0;
    return scanner.readDouble(value) ? value : 0.0;
}

std::string cellLabel(std::string_view text) {
    TextScanner scanner(text);
    scanner.skipWhiteSpace();
    return std::string(scanner.rest());
}

} // namespace tarnova
