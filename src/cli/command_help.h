// The help texts of tarnova-cli: what each subcommand does and its options, a line or two each.
#pragma once

#include <string_view>

namespace tarnova::cli {

// What the subcommand named command does and its options, one per line; empty for an unknown
// name.
std::string_view commandOptionsHelp(std::string_view command);

} // namespace tarnova::cli
