#include "data/peak_value_split.h"

#include "platform/text_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace tarnova {
namespace {

bool hasDecimalLogarithm(double value) {
    return std::isfinite(value) && value > 0.0;
}

// A split whose range underflowed (values near the smallest doubles) keeps the value whole.
HeightAndRange checked(double value, HeightAndRange split) {
    if (!std::isnormal(split.range) || !std::isfinite(split.height)) {
        return {value, 1.0};
    }
    return split;
}

// The double nearest to ten to the exponent.
double powerOfTen(int exponent) {
    constexpr std::array<double, 23> kExactPowers{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const auto size = static_cast<int>(kExactPowers.size());
    if (exponent >= 0 && exponent < size) {
        return kExactPowers[static_cast<std::size_t>(exponent)];
    }
    if (exponent < 0 && -exponent < size) {
        return 1.0 / kExactPowers[static_cast<std::size_t>(-exponent)]; // rounded once
    }
    return std::pow(10.0, exponent);
}

// The decimal logarithm of value truncated toward zero.
int truncatedExponent(double value) {
    return static_cast<int>(std::trunc(std::log10(value)));
}

// value divided by ten to the exponent, as a decimal: the shortest digits that read back as
// value, with the point moved, read as the nearest double. The height of 2.76471206E-004 in
// the range 1e-4 is then 2.76471206, the digits the file wrote, where a division or a
// multiplication by the power of ten would round a second time (to 2.7647120600000004).
HeightAndRange splitAt(double value, const ScientificDigits& digits, int exponent) {
    std::array<char, 48> text{};
    char* end = std::copy(digits.mantissa.begin(), digits.mantissa.end(), text.data());
    *end++ = 'e';
    end = std::to_chars(end, text.data() + text.size(), digits.exponent - exponent).ptr;
    HeightAndRange split{0.0, powerOfTen(exponent)};
    if (std::from_chars(text.data(), end, split.height).ec != std::errc()) {
        return {value, 1.0}; // beyond the doubles
    }
    return checked(value, split);
}

} // namespace

HeightAndRange splitPksValue(double value) {
    if (!hasDecimalLogarithm(value)) {
        return {value, 1.0};
    }
    const ScientificDigits digits = shortestScientific(value);
    // A height below 1 (digits below the truncated logarithm) moves down one decade.
    const int exponent = truncatedExponent(value);
    return splitAt(value, digits, digits.exponent < exponent ? exponent - 1 : exponent);
}

HeightAndRange splitMicromassValue(double value) {
    if (!hasDecimalLogarithm(value)) {
        return {value, 1.0};
    }
    const int exponent = truncatedExponent(value);
    return splitAt(value, shortestScientific(value), exponent < 0 ? exponent - 1 : exponent);
}

} // namespace tarnova
