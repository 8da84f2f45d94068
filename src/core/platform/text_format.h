// printf-style formatting with the number texts the files and sheets are made of.
#pragma once

#include <string>

namespace tarnova {

// std::snprintf into a std::string of whatever length the result needs.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Widens every exponent of a formatted number ("1.2E+03") to at least three digits
// ("1.2E+003"), the form the data files and the grid have always shown.
std::string widenExponents(std::string text);

// "%*.*f" (or "%0*.*f" with zeroPad) of value. An exact decimal tie rounds away from zero.
std::string formatFixed(double value, int width, int precision, bool zeroPad = false);

// "%*.*E" (or "%0*.*E" with zeroPad) of value with an exponent of at least three digits;
// the width is applied after widening, and an exact decimal tie rounds away from zero,
// so "%10.3E" of 1234.5 gives "1.235E+003".
std::string formatExponent(double value, int width, int precision, bool zeroPad = false);

// "%.*G" of value with an exponent of at least three digits; an exact decimal tie rounds away
// from zero ("%G" of 1234.125 gives "1234.13").
std::string formatGeneral(double value, int precision = 6);

} // namespace tarnova
