// printf-style formatting with the number texts the files and sheets are made of.
#pragma once

#include <string>

namespace tarnova {

// std::snprintf into a std::string of whatever length the result needs.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Widens every exponent of a formatted number ("1.2E+03") to at least three digits
// ("1.2E+003"), the form the data files and the grid have always shown.
std::string widenExponents(std::string text);

// The number formats below round the exact decimal expansion of the binary value, and an exact
// tie away from zero (where the C library rounds it to even): "%.2f" of 0.125 gives "0.13".
// NaN is written without a sign; infinities as "inf" ("INF") with their sign. A negative
// precision stands for 6, as in printf.

// "%*.*f" (or "%0*.*f" with zeroPad; infinities and NaN are padded with blanks) of value.
std::string formatFixed(double value, int width, int precision, bool zeroPad = false);

// "%*.*E" (or "%0*.*E" with zeroPad) of value with an exponent of at least three digits; the
// width is applied after widening, so "%10.3E" of 1234.5 gives "1.235E+003".
std::string formatExponent(double value, int width, int precision, bool zeroPad = false);

// "%.*G" of value with an exponent of at least three digits ("%G" of 1234.125 gives "1234.13").
std::string formatGeneral(double value, int precision = 6);

// The shortest decimal text that reads back as exactly value: plain decimal notation from 1e-4
// up to below 1e16 and wherever it is no longer than the exponent form ("0.0001", "2.76471206",
// "123456789012345667584"), the exponent form otherwise ("1e-05", "1.5e+20"); "nan", "inf",
// "-inf" for the others.
std::string shortestDecimal(double value);

// A finite number as its decimal digits, with their point after the first, and the decimal
// exponent: value is mantissa x 10^exponent.
struct ScientificDigits {
    std::string mantissa; // "-1.234"
    int exponent = 0;
};

// The shortest digits that read back as exactly value (finite): 2.76471206E-004 gives
// "2.76471206" and -4.
ScientificDigits shortestScientific(double value);

} // namespace tarnova
