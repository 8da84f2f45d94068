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

// Spelt so in every TARNOVA.INI written so far: the section and key names stay.
inline constexpr std::string_view kCorrectionSetsSection = "interferance";

struct CorrectionItem {
    std::string corrected;   // label A, code page 932 bytes
    std::string interfering; // label B
    double factor = 0.0;
};

// One item of a set as the INI holds it: its number k (key "item<k>"), its text, and the item
// the text gives, none when it cannot be read.
struct CorrectionSetItem {
    int number = 0;
    std::string text;
    std::optional<CorrectionItem> item;
};

// A set as the INI holds it. Its items are item1, item2, ... up to the count that section
// "interferance" gives for the set or the last item present, whichever comes first
// (itemCount); items missing below that are left out of items, which keeps the others in
// order.
struct CorrectionSet {
    std::string name;
    int itemCount = 0;
    std::vector<CorrectionSetItem> items;
};

// Reads an item text with the pattern "%[^,],%[^,],%lf"; none when it does not give all three.
std::optional<CorrectionItem> ParseCorrectionItem(std::string_view text);

// The set named name from the INI file at iniPath, read once whatever the count says, or none
// when section "interferance" holds no count of at least 1 for it.
std::optional<CorrectionSet> ReadCorrectionSet(const std::string& iniPath, std::string_view name);

// Applies the set named state.correctionSet (read from the INI file at iniPath) to the peak
// list. True when the set was found, whatever its items did.
bool ApplyCorrections(CalcState& state, UserInterfacePort& port, const std::string& iniPath);

} // namespace tarnova
