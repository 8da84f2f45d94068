// The table of regression methods: "一次回帰" (the least-squares line of value against time),
// "二次回帰" (the parabola), "指数回帰" (a exp(-b t) + c), "平均" (the mean) and "自動" (the
// parabola where its curvature is significant, else the line). A LineFit names its method by
// its index in the table; the automatic method leaves the index of the method it chose.
#pragma once

#include "calc/calc_flags.h"
#include "calc/result_table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnova {

class Surface;
struct SurfaceRect;

inline constexpr std::uint32_t kLinearMethod = 0;
inline constexpr std::uint32_t kParabolicMethod = 1;
inline constexpr std::uint32_t kExponentialMethod = 2;
inline constexpr std::uint32_t kMeanMethod = 3;
inline constexpr std::uint32_t kAutomaticMethod = 4;

// What exportFit writes of a fit: its values, or the heads of its columns.
enum class FitColumns { Values, Heads };

struct RegressionMethod {
    std::string_view name; // UTF-8
    // A new fit of this method, all values zero.
    std::optional<LineFit> (*create)();
    // Fits the line to the active points of record, whose statistics are computed, and marks
    // in its status what the fit holds. False when the method found no curve.
    bool (*compute)(LineFit& fit, RegressionResult& record);
    // Draws the formula lines below area.top, each one line height further down, and leaves
    // area.top on the last line drawn: what status says the fit holds, its errors as the view
    // bits of calcFlags shape them. False, with nothing drawn, without a fit.
    bool (*describe)(Surface& surface, SurfaceRect& area, StatusFlags status, CalcFlags calcFlags,
                     const LineFit* fit);
    // The method's columns of an IRD record line (their errors as the view bits of calcFlags
    // shape them), or their heads. Nothing without a fit of this method.
    std::optional<std::string> (*exportFit)(const LineFit* fit, CalcFlags calcFlags,
                                            FitColumns columns);
};

// The method table; entry 0 is the linear method.
std::span<const RegressionMethod> RegressionMethods();

// The errors of intercept and slope that the sheets and exports show, for the view bits of
// calcFlags: from the plain standard deviation (doubled for 95 %) with CalcFlag::UseStdDev,
// otherwise from the unbiased estimate times the t factor of the line.
struct LineErrors {
    double intercept = 0.0;
    double slope = 0.0;
};
LineErrors ShownLineErrors(const LineFit& fit, CalcFlags calcFlags);

// Whether the F test of the fit rejects a slope of zero ("a!=0" of the IRD).
bool SlopeTestRejects(const LineFit& fit);

// The index of the method named name (its table name, or "linear", "parabolic", "exponential",
// "mean", "auto"); none for another name.
std::optional<std::uint32_t> FindRegressionMethod(std::string_view name);
// The table name of a method index ("一次回帰" for an index beyond the table).
std::string_view RegressionMethodName(std::uint32_t method);
// The plain ASCII name of a method ("linear", "parabolic", ...), empty beyond the table.
std::string_view RegressionMethodKeyword(std::uint32_t method);
// The method a record was fitted with: its fit's, or the one asked for while it has no fit.
std::uint32_t RecordMethod(const RegressionResult& record);

// Whether the record's fit holds a curve (the line or another method's), and its value and the
// half-width of its confidence band (t quantile times the standard error of the curve's value,
// from the coefficient covariance) at time t.
bool HasFittedCurve(const RegressionResult& record);
double FittedValue(const LineFit& fit, double t);
double BandHalfWidth(const LineFit& fit, double t);

} // namespace tarnova
