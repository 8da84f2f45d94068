// The flags word of a calculation: what it computes, how its numbers are shown, what it opens.
#pragma once

#include "platform/flag_set.h"

#include <cstdint>
#include <type_traits>

namespace tarnova {

// The bits of CalcState::calcFlags. No bit means that no calculation exists.
enum class CalcFlag : std::uint32_t {
    AllNumerators = 0x1,
    AllAbundances = 0x2,
    Conf95 = 0x100,
    UseStdDev = 0x1000,
    Correct = 0x2000,
    ShowResult = 0x10000,
    ShowGraph = 0x20000,
    PrintReports = 0x100000,
    PrintPeakList = 0x200000,
    Confirmed = 0x80000000,
};
template <> struct IsFlagEnum<CalcFlag> : std::true_type {};
using CalcFlags = FlagSet<CalcFlag>;

// The bits that shape the numbers shown and exported (confidence level, error estimate).
inline constexpr CalcFlags kCalcViewMask = CalcFlags::fromRaw(0xFF00);
// What a failed regression run leaves in calcFlags: a code, not bits, as it always was.
inline constexpr CalcFlags kCalcAllFailed = CalcFlags::fromRaw(1050);

} // namespace tarnova
