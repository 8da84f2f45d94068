// The table of regression methods. It holds one method, "一次回帰" (the linear least-squares
// line of value against time); a LineFit names its method by its index in the table.
#pragma once

#include "calc/result_table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnova {

class Surface;
struct SurfaceRect;

// Bits of the flags handed to describe: the record's status in the low 16 bits and the view
// bits of calcFlags (0x100 to 0x8000) moved up by 8 bits.
inline constexpr int kDescribeCalcShift = 8;
// Flag of export: the column heads instead of the values.
inline constexpr std::uint32_t kExportColumnHeads = 0x1;

struct RegressionMethod {
    std::string_view name; // UTF-8
    // A new fit of this method, all values zero.
    std::optional<LineFit> (*create)();
    // Fits the line to the active points of record, whose statistics are computed, and marks
    // in its status what the fit holds. 1 or 0.
    int (*compute)(LineFit& fit, RegressionResult& record);
    // Draws the formula lines below area.top, each one line height further down, and leaves
    // area.top on the last line drawn. 1, or 0 without a fit.
    int (*describe)(Surface& surface, SurfaceRect& area, std::uint32_t flags, const LineFit* fit);
    // The method's columns of an IRD record line (flags: the view bits of calcFlags), or with
    // kExportColumnHeads their heads. Nothing without a fit of this method.
    std::optional<std::string> (*exportFit)(const LineFit* fit, std::uint32_t flags);
};

// The method table; entry 0 is the linear method.
std::span<const RegressionMethod> RegressionMethods();

// The errors of intercept and slope that the sheets and exports show, for the view bits of
// calcFlags: from the plain standard deviation (doubled for 95 %) with kCalcUseStdDev,
// otherwise from the unbiased estimate times the t factor of the line.
struct LineErrors {
    double intercept = 0.0;
    double slope = 0.0;
};
LineErrors ShownLineErrors(const LineFit& fit, std::uint32_t calcFlags);

// Whether the F test of the fit rejects a slope of zero ("a!=0" of the IRD).
bool SlopeTestRejects(const LineFit& fit);

} // namespace tarnova
