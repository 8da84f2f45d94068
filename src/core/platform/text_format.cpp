#include "platform/text_format.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

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

// The printed digits of value beyond the requested precision are exactly "5000...": the C
// library rounds such a tie to even; the sheets round it away from zero.
double nudgeExactTie(double value, int precision, bool exponentForm) {
    if (!std::isfinite(value) || value == 0.0 || precision < 0 || precision > 300) {
        return value;
    }
    // A tie lies exactly half a unit of the last printed digit from a printed number. With q
    // digits after the decimal point (for the exponent form counted from the leading digit)
    // that means value x 2^(q + 1) is an odd whole number; left of the point only whole
    // numbers can tie. Most values fail this cheap test and skip the long expansion below.
    const double magnitude = std::fabs(value);
    const auto tiePossible = [magnitude](int q) {
        if (q < 0) {
            return magnitude == std::floor(magnitude);
        }
        const double scaled = std::ldexp(magnitude, q + 1);
        return !std::isfinite(scaled) ||
               (scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0);
    };
    if (exponentForm) {
        // The decimal exponent from the logarithm may be one off near powers of ten.
        const int q = precision - static_cast<int>(std::floor(std::log10(magnitude)));
        if (!tiePossible(q - 1) && !tiePossible(q) && !tiePossible(q + 1)) {
            return value;
        }
    } else if (!tiePossible(precision)) {
        return value;
    }
    // glibc prints the exact binary value, so 400 more digits expose every tail.
    const std::string exact =
        formatText(exponentForm ? "%.*E" : "%.*f", precision + 400, std::fabs(value));
    const std::size_t point = exact.find('.');
    if (point == std::string::npos) {
        return value;
    }
    std::size_t tail = point + 1 + static_cast<std::size_t>(precision);
    if (tail >= exact.size() || exact[tail] != '5') {
        return value;
    }
    for (++tail; tail < exact.size() && isDigit(exact[tail]); ++tail) {
        if (exact[tail] != '0') {
            return value;
        }
    }
    return std::nextafter(value, std::copysign(INFINITY, value));
}

// "%.*f" or "%.*E" of value. std::to_chars gives the same digits as the C library (both round
// the exact binary value) in a fraction of its time, which counts for sheets of a million rows.
std::string printedNumber(double value, int precision, std::chars_format format) {
    const bool scientific = format == std::chars_format::scientific;
    if (!std::isfinite(value) || precision < 0 || precision > 100) {
        return formatText(scientific ? "%.*E" : "%.*f", precision, value);
    }
    std::array<char, 512> buffer;
    const auto [end, error] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    if (error != std::errc()) {
        return formatText(scientific ? "%.*E" : "%.*f", precision, value);
    }
    std::string text(buffer.data(), end);
    if (scientific) {
        const std::size_t mark = text.find('e');
        if (mark != std::string::npos) {
            text[mark] = 'E';
        }
    }
    return text;
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
    const double rounded = nudgeExactTie(value, precision, false);
    return padToWidth(printedNumber(rounded, precision, std::chars_format::fixed), width, zeroPad,
                      std::isfinite(value));
}

std::string formatExponent(double value, int width, int precision, bool zeroPad) {
    const double rounded = nudgeExactTie(value, precision, true);
    return padToWidth(
        widenExponents(printedNumber(rounded, precision, std::chars_format::scientific)), width,
        zeroPad, std::isfinite(value));
}

std::string formatGeneral(double value, int precision) {
    const int significant = precision > 0 ? precision : 1;
    const double rounded = nudgeExactTie(value, significant - 1, true);
    return widenExponents(formatText("%.*G", precision, rounded));
}

} // namespace tarnova
