// The distinct element labels of the calculation's peak list, from which the settings dialog
// chooses numerators, denominators and abundances.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnova {

struct CalcState;

// Bits of ElementEntry::selection.
inline constexpr std::uint32_t kSelectNumerator = 0x1;
inline constexpr std::uint32_t kSelectDenominator = 0x2;
inline constexpr std::uint32_t kSelectAbundance = 0x4;
inline constexpr std::uint32_t kSelectAll =
    kSelectNumerator | kSelectDenominator | kSelectAbundance;

struct ElementEntry {
    std::uint32_t selection = 0;
    std::string label; // code page 932 bytes, at most kMaxLabelLength
};

// Ordered by label, byte by byte.
using ElementList = std::vector<ElementEntry>;

// Fills state.elements from state.peaks; false when there is no peak list or no label.
bool BuildElementList(CalcState& state);

} // namespace tarnova
