#include "platform/text_format.h"

#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace tarnova {
namespace {

std::string formatArguments(const char* format, std::va_list arguments) {
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// printf takes a negative precision as if none was given.
int effectivePrecision(int precision) {
    return precision < 0 ? 6 : precision;
}

// A finite non-zero magnitude as mantissa x 2^exponent with an odd mantissa.
struct BinaryValue {
    std::uint64_t mantissa = 0;
    int exponent = 0;
};

BinaryValue binaryValue(double magnitude) {
    constexpr int kFractionBits = 52;
    constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << kFractionBits;
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biasedExponent = static_cast<int>(bits >> kFractionBits) & 0x7FF;
    std::uint64_t mantissa = bits & (kHiddenBit - 1);
    int exponent = -1074; // a subnormal's, without the hidden bit
    if (biasedExponent != 0) {
        mantissa |= kHiddenBit;
        exponent = biasedExponent - 1075;
    }
    const int zeros = std::countr_zero(mantissa);
    return {mantissa >> zeros, exponent + zeros};
}

// Whether the value lies exactly halfway between two numbers of q digits after the decimal
// point (q < 0: multiples of 10^-q), that is whether value x 2 x 10^q is an odd whole number.
// With value = m x 2^e (m odd) that is m x 5^q x 2^(e + 1 + q): odd exactly when e = -(q + 1)
// and, for q < 0, when 5^-q divides m.
bool isExactTie(const BinaryValue& value, int q) {
    if (value.exponent != -(q + 1)) {
        return false;
    }
    std::uint64_t power = 1;
    for (int k = 0; k < -q; ++k) {
        if (power > value.mantissa / 5) {
            return false;
        }
        power *= 5;
    }
    return value.mantissa % power == 0;
}

// std::to_chars rounds the exact binary value correctly, an exact tie to even (as the C library
// does), and in a fraction of the C library's time, which counts for sheets of a million rows.
std::string correctlyRounded(double value, std::chars_format format, int precision) {
    // Sign, 309 whole digits or an exponent, the point and the decimals.
    constexpr std::size_t kRoomBeyondDecimals = 330;
    const std::size_t room = static_cast<std::size_t>(precision) + kRoomBeyondDecimals;
    std::array<char, 512> buffer;
    std::string large;
    char* begin = buffer.data();
    if (room > buffer.size()) {
        large.resize(room);
        begin = large.data();
    }
    const auto result = std::to_chars(begin, begin + room, value, format, precision);
    return std::string(begin, result.ptr);
}

// digits is an exact decimal number whose last digit is the 5 of a tie: drops that digit and
// rounds the rest away from zero. Returns true when the carry ran out of the leading digit
// ("9.95" gives "10.0").
bool dropTieDigitRoundingAway(std::string& digits) {
    digits.pop_back();
    if (!digits.empty() && digits.back() == '.') {
        digits.pop_back();
    }
    for (std::size_t i = digits.size(); i-- > 0;) {
        char& c = digits[i];
        if (c == '.') {
            continue;
        }
        if (!isDigit(c)) {
            digits.insert(i + 1, 1, '1');
            return true;
        }
        if (c != '9') {
            ++c;
            return false;
        }
        c = '0';
    }
    digits.insert(0, 1, '1');
    return true;
}

std::string nonFiniteText(double value, bool upperCase) {
    // NaN has no sign worth showing: a file never holds both "NAN" and "-NAN".
    if (std::isnan(value)) {
        return upperCase ? "NAN" : "nan";
    }
    const char* infinity = upperCase ? "INF" : "inf";
    return value < 0 ? std::string("-") + infinity : std::string(infinity);
}

// "%.*f" of a finite value.
std::string fixedDigits(double value, int precision) {
    if (value != 0.0 && isExactTie(binaryValue(std::fabs(value)), precision)) {
        // The tie has exactly one digit more than asked for.
        std::string text = correctlyRounded(value, std::chars_format::fixed, precision + 1);
        dropTieDigitRoundingAway(text);
        return text;
    }
    return correctlyRounded(value, std::chars_format::fixed, precision);
}

ScientificDigits splitScientific(std::string text) {
    const std::size_t mark = text.find('e');
    ScientificDigits split;
    std::from_chars(text.data() + mark + (text[mark + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    split.exponent);
    text.resize(mark);
    split.mantissa = std::move(text);
    return split;
}

ScientificDigits scientificDigits(double value, int precision) {
    std::string rounded = correctlyRounded(value, std::chars_format::scientific, precision);
    if (value == 0.0) {
        return splitScientific(std::move(rounded));
    }
    // A tie can lie only at one position, fixed by the binary exponent; the exponent of the
    // rounded text is the value's own or one more after a carry ("9.9996" to "1.000E+001").
    const BinaryValue binary = binaryValue(std::fabs(value));
    const int tiePosition = -(binary.exponent + 1);
    const int tieExponent = precision - tiePosition;
    ScientificDigits split = splitScientific(std::move(rounded));
    if ((split.exponent != tieExponent && split.exponent != tieExponent + 1) ||
        !isExactTie(binary, tiePosition)) {
        return split;
    }
    ScientificDigits exact =
        splitScientific(correctlyRounded(value, std::chars_format::scientific, precision + 1));
    if (exact.exponent != tieExponent || !exact.mantissa.ends_with('5')) {
        return split;
    }
    if (dropTieDigitRoundingAway(exact.mantissa)) {
        // "10.00" back to "1.000" with the exponent one higher.
        const std::size_t point = exact.mantissa.find('.');
        if (point != std::string::npos) {
            std::swap(exact.mantissa[point], exact.mantissa[point - 1]);
            exact.mantissa.pop_back();
        } else {
            exact.mantissa.pop_back();
        }
        ++exact.exponent;
    }
    return exact;
}

// Appends the exponent as printf writes it, widened to three digits (a double's decimal
// exponent lies between -324 and 308).
void appendExponent(std::string& text, int exponent) {
    const int magnitude = exponent < 0 ? -exponent : exponent;
    const char digits[] = {'E', exponent < 0 ? '-' : '+', static_cast<char>('0' + magnitude / 100),
                           static_cast<char>('0' + magnitude / 10 % 10),
                           static_cast<char>('0' + magnitude % 10)};
    text.append(digits, sizeof digits);
}

// Removes the zeros at the end of the decimals, and the point when no decimal is left.
void dropTrailingZeros(std::string& text) {
    if (text.find('.') == std::string::npos) {
        return;
    }
    while (text.back() == '0') {
        text.pop_back();
    }
    if (text.back() == '.') {
        text.pop_back();
    }
}

// The digits of a mantissa "-d.ddd" without sign and point.
std::string bareDigits(const std::string& mantissa) {
    std::string digits;
    for (char c : mantissa) {
        if (isDigit(c)) {
            digits += c;
        }
    }
    return digits;
}

std::string padToWidth(std::string text, int width, bool zeroPad, bool finite) {
    if (width <= 0 || text.size() >= static_cast<std::size_t>(width)) {
        return text;
    }
    const std::size_t padding = static_cast<std::size_t>(width) - text.size();
    if (zeroPad && finite) {
        const std::size_t afterSign = (text[0] == '-' || text[0] == '+') ? 1 : 0;
        text.insert(afterSign, padding, '0');
    } else {
        text.insert(0, padding, ' ');
    }
    return text;
}

} // namespace

std::string formatText(const char* format, ...) {
    std::va_list arguments;
    va_start(arguments, format);
    std::string text = formatArguments(format, arguments);
    va_end(arguments);
    return text;
}

std::string widenExponents(std::string text) {
    for (std::size_t i = 1; i + 2 < text.size(); ++i) {
        const char mark = text[i];
        if ((mark != 'E' && mark != 'e') || !isDigit(text[i - 1]) ||
            (text[i + 1] != '+' && text[i + 1] != '-')) {
            continue;
        }
        std::size_t end = i + 2;
        while (end < text.size() && isDigit(text[end])) {
            ++end;
        }
        const std::size_t digits = end - (i + 2);
        if (digits > 0 && digits < 3) {
            text.insert(i + 2, 3 - digits, '0');
        }
        i = end;
    }
    return text;
}

std::string formatFixed(double value, int width, int precision, bool zeroPad) {
    const bool finite = std::isfinite(value);
    std::string text =
        finite ? fixedDigits(value, effectivePrecision(precision)) : nonFiniteText(value, false);
    return padToWidth(std::move(text), width, zeroPad, finite);
}

std::string formatExponent(double value, int width, int precision, bool zeroPad) {
    const bool finite = std::isfinite(value);
    if (!finite) {
        return padToWidth(nonFiniteText(value, true), width, zeroPad, false);
    }
    ScientificDigits digits = scientificDigits(value, effectivePrecision(precision));
    appendExponent(digits.mantissa, digits.exponent);
    return padToWidth(std::move(digits.mantissa), width, zeroPad, true);
}

std::string formatGeneral(double value, int precision) {
    if (!std::isfinite(value)) {
        return nonFiniteText(value, true);
    }
    const int significant = precision == 0 ? 1 : effectivePrecision(precision);
    ScientificDigits rounded = scientificDigits(value, significant - 1);
    const int exponent = rounded.exponent;
    if (exponent < -4 || exponent >= significant) {
        dropTrailingZeros(rounded.mantissa);
        appendExponent(rounded.mantissa, exponent);
        return std::move(rounded.mantissa);
    }
    // Fixed notation with significant - 1 - exponent decimals: the same digits, the point moved.
    const std::string digits = bareDigits(rounded.mantissa);
    std::string text = std::signbit(value) ? "-" : "";
    if (exponent >= 0) {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        text += digits.substr(0, whole);
        if (digits.size() > whole) {
            text += '.' + digits.substr(whole);
        }
    } else {
        text += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    dropTrailingZeros(text);
    return text;
}

namespace {

// The shortest text of value that reads back, in this notation.
std::string shortestText(double value, std::chars_format format) {
    // Room for a sign, 17 digits, a point and 309 places either side of it.
    std::array<char, 400> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format);
    return std::string(buffer.data(), result.ptr);
}

} // namespace

ScientificDigits shortestScientific(double value) {
    return splitScientific(shortestText(value, std::chars_format::scientific));
}

std::string shortestDecimal(double value) {
    if (!std::isfinite(value)) {
        return nonFiniteText(value, false);
    }
    const std::string scientific = shortestText(value, std::chars_format::scientific);
    std::string fixed = shortestText(value, std::chars_format::fixed);
    const int exponent = splitScientific(scientific).exponent;
    if ((exponent >= -4 && exponent < 16) || fixed.size() <= scientific.size()) {
        return fixed;
    }
    return scientific;
}

} // namespace tarnova
