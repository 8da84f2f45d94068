#include "data/quoted_fields.h"

#include "platform/text_scanner.h"

namespace tarnova {
namespace {

// The opening quote, then "%[^\"]" or nothing before the closing quote.
bool readQuoted(TextScanner& scanner, std::string& text) {
    if (!scanner.literal('"')) {
        return false;
    }
    if (scanner.readBracket(text, "^\"")) {
        return true;
    }
    if (scanner.rest().starts_with('"')) {
        text.clear();
        return true;
    }
    return false;
}

} // namespace

int scanQuotedPair(std::string_view line, std::string& first, std::string& second) {
    TextScanner scanner(line);
    scanner.skipWhiteSpace();
    if (!readQuoted(scanner, first)) {
        return 0;
    }
    if (!scanner.literal("\" , ") || !readQuoted(scanner, second)) {
        return 1;
    }
    return 2;
}

bool scanQuotedText(std::string_view line, std::string& text) {
    TextScanner scanner(line);
    scanner.skipWhiteSpace();
    return readQuoted(scanner, text);
}

std::string quotableText(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        if (c == '"' || c == '\n' || c == '\0' || c == '\x1A') {
            c = ' ';
        }
    }
    return safe;
}

} // namespace tarnova
