// The names of the regression methods, indexed as the calculation's method table: the name the
// tables and menus show and the plain ASCII keyword that TARNOVA.INI and the command line take.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnova {

struct RegressionMethodNaming {
    std::string_view name;    // UTF-8
    std::string_view keyword; // ASCII
};

inline constexpr std::array<RegressionMethodNaming, 5> kRegressionMethodNamings{{
    {"一次回帰", "linear"},
    {"二次回帰", "parabolic"},
    {"指数回帰", "exponential"},
    {"平均", "mean"},
    {"自動", "auto"},
}};

// The index of the method named name (UTF-8 table name or keyword); none for another name.
std::optional<std::uint32_t> FindRegressionMethodNaming(std::string_view name);
// A method as TARNOVA.INI holds it: a keyword, or the table name in UTF-8 or code page 932.
std::optional<std::uint32_t> RegressionMethodOfIni(std::string_view text);

} // namespace tarnova
