#include "platform/text_scanner.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace tarnova {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool lowerEquals(std::string_view text, std::size_t at, std::string_view word) {
    if (at + word.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) {
            return false;
        }
    }
    return true;
}

// Length of the longest prefix of text that strtod-style scanning accepts as a number.
std::size_t floatMatchLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    if (lowerEquals(text, i, "infinity")) {
        return i + 8;
    }
    if (lowerEquals(text, i, "inf")) {
        return i + 3;
    }
    if (lowerEquals(text, i, "nan")) {
        return i + 3;
    }
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) {
                ++j;
            }
            i = j;
        }
    }
    return i;
}

bool inBracketSet(char c, std::string_view set) {
    bool negated = false;
    if (!set.empty() && set[0] == '^') {
        negated = true;
        set.remove_prefix(1);
    }
    bool found = false;
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (i + 2 < set.size() && set[i + 1] == '-' && i > 0) {
            const auto low = static_cast<unsigned char>(set[i]);
            const auto high = static_cast<unsigned char>(set[i + 2]);
            const auto value = static_cast<unsigned char>(c);
            if (value >= low && value <= high) {
                found = true;
            }
            i += 2;
            continue;
        }
        if (set[i] == c) {
            found = true;
        }
    }
    return found != negated;
}

std::string_view limited(std::string_view text, std::size_t width) {
    return width == 0 ? text : text.substr(0, width);
}

} // namespace

bool isScanWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

void TextScanner::skipWhiteSpace() {
    while (position_ < text_.size() && isScanWhiteSpace(text_[position_])) {
        ++position_;
    }
}

bool TextScanner::literal(char c) {
    if (position_ < text_.size() && text_[position_] == c) {
        ++position_;
        return true;
    }
    return false;
}

bool TextScanner::literal(std::string_view characters) {
    for (char c : characters) {
        if (c == ' ') {
            skipWhiteSpace();
        } else if (!literal(c)) {
            return false;
        }
    }
    return true;
}

bool TextScanner::readInt(long& value, std::size_t width) {
    const std::size_t saved = position_;
    skipWhiteSpace();
    const std::string_view field = limited(text_.substr(position_), width);
    std::size_t i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    const std::size_t firstDigit = i;
    unsigned long long magnitude = 0;
    while (i < field.size() && isDigit(field[i])) {
        if (magnitude < 1ULL << 62) {
            magnitude = magnitude * 10 + static_cast<unsigned long long>(field[i] - '0');
        }
        ++i;
    }
    if (i == firstDigit) {
        position_ = saved;
        return false;
    }
    // Out-of-range values saturate, as strtol does.
    const auto limit = static_cast<unsigned long long>(LONG_MAX);
    if (magnitude > limit) {
        value = negative ? LONG_MIN : LONG_MAX;
    } else {
        value = negative ? -static_cast<long>(magnitude) : static_cast<long>(magnitude);
    }
    position_ += i;
    return true;
}

bool TextScanner::readInt(int& value, std::size_t width) {
    long wide = 0;
    if (!readInt(wide, width)) {
        return false;
    }
    // Values beyond int keep the low 32 bits, as scanf's %d stores them.
    value = static_cast<int>(static_cast<unsigned int>(static_cast<unsigned long>(wide)));
    return true;
}

bool TextScanner::readDouble(double& value, std::size_t width) {
    const std::size_t saved = position_;
    skipWhiteSpace();
    const std::string_view field = limited(text_.substr(position_), width);
    const std::size_t length = floatMatchLength(field);
    if (length == 0) {
        position_ = saved;
        return false;
    }
    const std::string number(field.substr(0, length));
    value = std::strtod(number.c_str(), nullptr);
    position_ += length;
    return true;
}

bool TextScanner::readWord(std::string& value, std::size_t width) {
    const std::size_t saved = position_;
    skipWhiteSpace();
    const std::string_view field = limited(text_.substr(position_), width);
    std::size_t i = 0;
    while (i < field.size() && !isScanWhiteSpace(field[i])) {
        ++i;
    }
    if (i == 0) {
        position_ = saved;
        return false;
    }
    value.assign(field.substr(0, i));
    position_ += i;
    return true;
}

bool TextScanner::readBracket(std::string& value, std::string_view set, std::size_t width) {
    const std::string_view field = limited(text_.substr(position_), width);
    std::size_t i = 0;
    while (i < field.size() && inBracketSet(field[i], set)) {
        ++i;
    }
    if (i == 0) {
        return false;
    }
    value.assign(field.substr(0, i));
    position_ += i;
    return true;
}

} // namespace tarnova
