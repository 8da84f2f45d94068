// The build line of the About box.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

// "Build: " and the compiler's build date ("Mmm dd yyyy", the day padded with a blank) as
// month, day and year separated by single blanks: "Build: Dec 6 2026".
std::string BuildDateText(std::string_view compilerDate);

} // namespace tarnova
