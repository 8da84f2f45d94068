// How the numbers and labels of the peak editor are read back from the texts of its cells.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

// The number a cell text starts with, converted as a decimal number after leading white space;
// a text that does not start with a number gives 0.
double cellNumber(std::string_view text);

// The label an Elem cell shows: its text with the leading white space skipped.
std::string cellLabel(std::string_view text);

} // namespace tarnova
