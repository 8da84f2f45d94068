// Interference corrections: a named CorrectionSet in TARNOVA.INI lists, for a corrected peak
// label, the interfering (monitor) label whose signal is proportional to the contribution, and
// the factor. Applying a set subtracts factor x interfering signal, interpolated in time, from
// every corrected peak.
//
// INI layout: [general] interferance=<number of sets>; [interferance] <set name>=<number of
// items>; [<set name>] item1=<corrected>,<interfering>,<factor>, item2=...
#pragma once

#include "platform/user_interface_port.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

struct CalcState;

inline constexpr std::string_view kCorrectionSetsSection = "interferance";

struct CorrectionItem {
    std::string corrected;   // label A, code page 932 bytes
    std::string interfering; // label B
    double factor = 0.0;
};

// A set as the INI holds it: its name and its items in order; an item that cannot be read is
// kept as none, so that the items keep their numbers.
struct CorrectionSet {
    std::string name;
    std::vector<std::optional<CorrectionItem>> items;
};

// Reads an item text with the pattern "%[^,],%[^,],%lf"; none when it does not give all three.
std::optional<CorrectionItem> ParseCorrectionItem(std::string_view text);

// The set named name from the INI file at iniPath, or none when section "interferance" holds
// no count of at least 1 for it.
std::optional<CorrectionSet> ReadCorrectionSet(const std::string& iniPath, std::string_view name);

// Applies the set named state.correctionSet (read from the INI file at iniPath) to the peak
// list. Returns 1 when the set was found, whatever its items did, and 0 otherwise.
int ApplyCorrections(CalcState& state, UserInterfacePort& port, const std::string& iniPath);

} // namespace tarnova
