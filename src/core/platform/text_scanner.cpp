#include "platform/text_scanner.h"

#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

namespace tarnova {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isHexDigit(char c) {
    return isDigit(c) || (lower(c) >= 'a' && lower(c) <= 'f');
}

// The characters of a field as the C library's scanf reads them: one at a time, with one
// character of push-back, while the width (-1: none) allows.
class FieldReader {
  public:
    FieldReader(std::string_view text, long width) : text_(text), width_(width) {}

    // Whether the width allows another character.
    bool roomLeft() const { return width_ != 0; }
    // Takes the next character into c (and counts it against the width); false at the end of
    // the text.
    bool take(char& c) {
        if (position_ >= text_.size()) {
            return false;
        }
        c = text_[position_++];
        if (width_ > 0) {
            --width_;
        }
        return true;
    }
    // Whether another character is allowed and there, taken into c.
    bool takeMore(char& c) { return roomLeft() && take(c); }
    void pushBack() { --position_; }
    std::size_t consumed() const { return position_; }

  private:
    std::string_view text_;
    long width_;
    std::size_t position_ = 0;
};

// Takes the letters of word (lower case) in any letter case; false at the first other one.
bool takeLetters(FieldReader& field, std::string& collected, std::string_view word) {
    for (char expected : word) {
        char c = 0;
        if (!field.takeMore(c) || lower(c) != expected) {
            return false;
        }
        collected += c;
    }
    return true;
}

// What scanf's "%lf" collects for strtod from the start of a field: a sign, then "nan", "inf" or
// "infinity" (a partial word fails), or digits with one point and an exponent, hexadecimal
// after "0x" (with a binary exponent "p"). Like scanf it never steps back over more than the
// one character it looked at, so "1e" and "1e+" are taken whole (strtod then reads "1"), and
// "0x" alone fails. Returns the characters taken, or none when the field holds no number.
std::optional<std::string> collectFloat(FieldReader& field) {
    std::string collected;
    char c = 0;
    if (!field.take(c)) {
        return std::nullopt;
    }
    if (c == '+' || c == '-') {
        collected += c;
        if (!field.takeMore(c)) {
            return std::nullopt;
        }
    }
    const std::size_t signLength = collected.size();
    if (lower(c) == 'n') {
        collected += c;
        return takeLetters(field, collected, "an") ? std::optional(collected) : std::nullopt;
    }
    if (lower(c) == 'i') {
        collected += c;
        if (!takeLetters(field, collected, "nf")) {
            return std::nullopt;
        }
        if (!field.takeMore(c)) {
            return collected;
        }
        if (lower(c) != 'i') {
            field.pushBack();
            return collected;
        }
        collected += c;
        return takeLetters(field, collected, "nity") ? std::optional(collected) : std::nullopt;
    }
    bool hexadecimal = false;
    bool digitSeen = false;
    bool atEnd = false;
    if (c == '0' && field.roomLeft()) {
        collected += c;
        atEnd = !field.take(c);
        if (!atEnd && field.roomLeft() && lower(c) == 'x') {
            collected += c;
            hexadecimal = true;
            atEnd = !field.take(c);
        } else {
            digitSeen = true;
        }
    }
    const char exponentMark = hexadecimal ? 'p' : 'e';
    bool pointSeen = false;
    bool exponentSeen = false;
    while (!atEnd) {
        if (isDigit(c) || (hexadecimal && !exponentSeen && isHexDigit(c))) {
            collected += c;
            digitSeen = true;
        } else if (exponentSeen && collected.back() == exponentMark && (c == '+' || c == '-')) {
            collected += c;
        } else if (digitSeen && !exponentSeen && lower(c) == exponentMark) {
            collected += exponentMark;
            exponentSeen = true;
            pointSeen = true;
        } else if (!pointSeen && c == '.') {
            collected += c;
            pointSeen = true;
        } else {
            field.pushBack();
            break;
        }
        atEnd = !field.takeMore(c);
    }
    if (collected.size() == signLength || (hexadecimal && collected.size() == signLength + 2)) {
        return std::nullopt;
    }
    return collected;
}

// strtod in the C locale, whatever locale the program runs in: numbers in files, sheets and
// the INI file always have a decimal point. A plain decimal number read whole to a finite
// value, nearly every number of a file, is read by std::from_chars, which rounds it as strtod
// does (to the nearest double) in a fraction of the time; signs, hexadecimal numbers, words,
// texts strtod reads only in part, overflow and underflow to zero go to strtod.
double convertInCLocale(const std::string& text, std::size_t& used) {
    if (!text.empty() && (isDigit(text[0]) || text[0] == '-' || text[0] == '.')) {
        double value = 0.0;
        const char* last = text.data() + text.size();
        const auto [end, error] =
            std::from_chars(text.data(), last, value, std::chars_format::general);
        if (error == std::errc{} && end == last && std::isfinite(value) && value != 0.0) {
            used = text.size();
            return value;
        }
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    char* end = nullptr;
    const double value = strtod_l(text.c_str(), &end, cLocale);
    used = static_cast<std::size_t>(end - text.c_str());
    return value;
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
    // Out-of-range values saturate, as strtol does: the magnitude stops growing once it is
    // beyond every long.
    const unsigned long long saturation = static_cast<unsigned long long>(LONG_MAX) + 1;
    constexpr unsigned long long kGrowthLimit = (ULLONG_MAX - 9) / 10;
    unsigned long long magnitude = 0;
    while (i < field.size() && isDigit(field[i])) {
        magnitude = magnitude > kGrowthLimit
                        ? saturation
                        : magnitude * 10 + static_cast<unsigned long long>(field[i] - '0');
        ++i;
    }
    if (i == firstDigit) {
        position_ = saved;
        return false;
    }
    if (negative) {
        value = magnitude >= saturation ? LONG_MIN : -static_cast<long>(magnitude);
    } else {
        value = magnitude >= saturation ? LONG_MAX : static_cast<long>(magnitude);
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
    FieldReader field(text_.substr(position_), width == 0 ? -1 : static_cast<long>(width));
    const std::optional<std::string> collected = collectFloat(field);
    std::size_t used = 0;
    const double converted = collected ? convertInCLocale(*collected, used) : 0.0;
    if (used == 0) {
        position_ = saved;
        return false;
    }
    value = converted;
    position_ += field.consumed();
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
