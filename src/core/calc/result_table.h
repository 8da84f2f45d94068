// The records of one calculation: one RegressionResult per ratio or abundance, with its data
// points, the statistics of their values and times, and the fitted line.
#pragma once

#include "data/peak_sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

// The bits of RegressionResult::status: what of the record is valid.
enum class StatusFlag : std::uint32_t {
    NoActivePoint = 0x1,
    Statistics = 0x10,  // mean, variances, extremes, covariance
    Correlation = 0x20, // unbiased values, r, t values (n >= 2)
    Line = 0x40,        // fit holds a line (n >= 2)
    LineTest = 0x80,    // fit holds errors and the F test (n >= 3)
    FitFailed = 0x100,  // the method found no curve (reason in fit)
};
template <> struct IsFlagEnum<StatusFlag> : std::true_type {};
using StatusFlags = FlagSet<StatusFlag>;

// Failure codes held in RegressionResult::pointCount while points is absent.
inline constexpr std::int32_t kPointsNoMemory = 1024;
inline constexpr std::int32_t kPointsNoWorkArea = 1036;
inline constexpr std::int32_t kPointsNone = 1051;

// The bits of DataPoint::flags: those of its peak, which a point takes over as they are (an
// enabled point the user enabled again, a click or the Toggle dialog, has KeptByUser: the outlier
// filter never disables it), and OffGraph, kept by the graph drawing.
using PointFlag = PeakFlag;
using PointFlags = PeakFlags;
inline constexpr PointFlags kPointExclusionBits = kPeakExclusionBits;

// 24 bytes: a calculation of 10^6 peaks holds about 5·10^6 points. The denominator peaks a
// ratio point was interpolated between are not kept; nothing reads them after the value.
struct DataPoint {
    std::uint32_t peakIndex = 0; // numerator peak (ratio) or the peak itself (abundance)
    PointFlags flags;
    double time = 0.0;
    double value = 0.0;

    bool isActive() const { return !flags.test(PointFlag::Disabled); }
};
static_assert(sizeof(DataPoint) == 24);

// The fitted line of the linear method. With two active points only method, slope and
// intercept are set.
struct LineFit {
    std::uint32_t method = 0; // index into RegressionMethods()
    double slope = 0.0;
    double slopeErrorPlain = 0.0;
    double slopeError = 0.0;
    double intercept = 0.0;
    double interceptErrorPlain = 0.0;
    double interceptError = 0.0;
    double residualPerPoint = 0.0;
    double residualVariance = 0.0;
    double regressionPerPoint = 0.0;
    double regressionVariance = 0.0;
    double tLine = 0.0;
    double errorRatio = 0.0;
    double a11 = 0.0;
    double a12 = 0.0;
    double a22 = 0.0;
    double checkLevel = 0.0;
    double fValue = 0.0;
    double fCritical = 0.0;

    // The methods beyond the line. coefficients: b0, b1, b2 of the parabola, a, b, c of the
    // exponential, the mean; covariance: theirs, row-major, with the unbiased residual
    // variance. The value at time zero is intercept, its errors interceptError (unbiased) and
    // interceptErrorPlain (residual variance per point).
    std::array<double, 3> coefficients{};
    std::array<double, 9> covariance{};
    bool automatic = false;          // chosen by the automatic method
    double curvatureT = 0.0;         // parabola: |b2| / sd(b2)
    double curvatureTCritical = 0.0; // its percentage point at the test level
    std::string failure;             // why the method found no curve
};

// Longest sheet name: the numerator, "/" and the denominator.
inline constexpr std::size_t kMaxSheetNameLength = 79;

struct RegressionResult {
    std::string sheetName;   // "N/D" or "N"; empty when the record has no active point
    std::string numerator;   // numerator label, or the abundance label
    std::string denominator; // empty for an abundance
    StatusFlags status;
    double mean = 0.0;
    double variance = 0.0;
    double varianceUnbiased = 0.0;
    double stdDev = 0.0;
    double stdDevUnbiased = 0.0;
    double maxValue = 0.0;
    double minValue = 0.0;
    double sumSquares = 0.0;
    double meanTime = 0.0;
    double varianceTime = 0.0;
    double varianceTimeUnbiased = 0.0;
    double stdDevTime = 0.0;
    double stdDevTimeUnbiased = 0.0;
    double maxTime = 0.0;
    double minTime = 0.0;
    double sumSquaresTime = 0.0;
    double covariance = 0.0;
    double r = 0.0;
    double tOfR = 0.0;
    double tCritical = 0.0;
    double alpha = 0.0;
    double tLimit = 0.0;
    double checkLevel = 0.0;
    // Number of data points while points exists; a failure code (kPoints...) otherwise.
    std::int32_t pointCount = 0;
    std::int32_t activeCount = 0;
    std::uint32_t fitMethod = 0; // the method asked for: an index into RegressionMethods()
    std::optional<LineFit> fit;
    std::optional<std::vector<DataPoint>> points; // in the order of the peak list

    bool isRatio() const { return !denominator.empty(); }
    // "N/D" for a ratio, "N" for an abundance, also while sheetName is empty.
    std::string name() const { return isRatio() ? numerator + "/" + denominator : numerator; }
    // "R" for a ratio, "A" for an abundance.
    char recordType() const { return isRatio() ? 'R' : 'A'; }
};

using ResultTable = std::vector<RegressionResult>;

} // namespace tarnova
