#include "calc/regression_method.h"

#include "calc/calc_state.h"
#include "calc/curve_fits.h"
#include "calc/distributions.h"
#include "calc/ird_export.h"
#include "platform/run_log.h"
#include "platform/surface.h"
#include "platform/text_format.h"
#include "settings/regression_names.h"

#include <array>
#include <cmath>
#include <vector>

namespace tarnova {
namespace {

template <std::uint32_t Method> std::optional<LineFit> createFit() {
    LineFit fit;
    fit.method = Method;
    return fit;
}

bool computeLinear(LineFit& fit, RegressionResult& record) {
    const int n = record.activeCount;
    if (n < 2) {
        return false;
    }
    // From the centred sums of the statistics: the line passes through the means.
    const double count = n;
    fit.slope = record.covariance / record.varianceTime;
    fit.intercept = record.mean - fit.slope * record.meanTime;
    record.status |= StatusFlag::Line;
    if (n == 2) {
        LogLine("Line is unified to " + formatGeneral(fit.intercept) + " + " +
                formatGeneral(fit.slope) + " * t.");
        return true;
    }

    // The inverse of the normal equations' matrix, with the mean square time written as the time
    // variance plus the squared mean time.
    const double timeSpread = count * record.varianceTime;
    fit.a11 = (record.varianceTime + record.meanTime * record.meanTime) / timeSpread;
    fit.a12 = -record.meanTime / timeSpread;
    fit.a22 = 1.0 / timeSpread;
    fit.tLine = TQuantile(record.alpha / 2.0, n - 2);
    LogLine("Regression coefficient: A11=" + formatGeneral(fit.a11) +
            ", A12=" + formatGeneral(fit.a12) + ", A22=" + formatGeneral(fit.a22));

    // Residuals and fitted values about the means: the line's value at a point less the mean
    // is the slope times the point's time less the mean time.
    double residualSum = 0.0;
    double regressionSum = 0.0;
    for (const DataPoint& point : *record.points) {
        if (!point.isActive()) {
            continue;
        }
        const double fittedDeviation = fit.slope * (point.time - record.meanTime);
        const double residual = (point.value - record.mean) - fittedDeviation;
        residualSum += residual * residual;
        regressionSum += fittedDeviation * fittedDeviation;
    }
    fit.residualVariance = residualSum / (count - 2.0);
    fit.regressionVariance = regressionSum / (count - 2.0);
    fit.residualPerPoint = residualSum / count;
    fit.regressionPerPoint = regressionSum / count;
    fit.errorRatio = std::sqrt(fit.residualPerPoint / fit.regressionPerPoint);
    fit.slopeErrorPlain = std::sqrt(fit.residualPerPoint * fit.a22);
    fit.slopeError = std::sqrt(fit.residualVariance * fit.a22);
    fit.interceptErrorPlain = std::sqrt(fit.residualPerPoint * fit.a11);
    fit.interceptError = std::sqrt(fit.residualVariance * fit.a11);
    fit.fValue = fit.regressionPerPoint / (fit.residualPerPoint / (count - 2.0));
    fit.fCritical = FQuantile(1.0 - record.checkLevel, 1, n - 2);
    fit.checkLevel = record.checkLevel;
    record.status |= StatusFlag::LineTest;
    LogLine("Regression: Variance = " + formatGeneral(record.variance) + "(" +
            formatGeneral(fit.residualPerPoint) + " + " + formatGeneral(fit.regressionPerPoint) +
            " = " + formatGeneral(fit.residualPerPoint + fit.regressionPerPoint) +
            "), F/Fchk = " + formatGeneral(fit.fValue) + "/" + formatGeneral(fit.fCritical));
    LogLine("Line is convergent to " + formatGeneral(fit.intercept) + "(" +
            formatGeneral(fit.interceptError) + ") + " + formatGeneral(fit.slope) + "(" +
            formatGeneral(fit.slopeError) + ") * t");
    return true;
}

bool slopeRejected(const LineFit& fit) {
    return fit.fValue > fit.fCritical;
}

bool describeCurve(Surface& surface, SurfaceRect& area, StatusFlags status, CalcFlags calcFlags,
                   const LineFit* fit);

// Handed a fit of another method, the entry's describe dispatches to it.
bool describeLinear(Surface& surface, SurfaceRect& area, StatusFlags status, CalcFlags calcFlags,
                    const LineFit* fit) {
    if (fit == nullptr) {
        return false;
    }
    if (fit->method != kLinearMethod) {
        return describeCurve(surface, area, status, calcFlags, fit);
    }
    const FontMetrics metrics = surface.fontMetrics();
    const int x = area.left;
    int y = area.top;
    if (status.test(StatusFlag::LineTest)) {
        const LineErrors errors = ShownLineErrors(*fit, calcFlags);
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "y = " + formatGeneral(fit->intercept, 8) + "(" +
                                         formatGeneral(fit->tLine * fit->interceptError, 8) +
                                         ") + " + formatGeneral(fit->slope, 8) + "(" +
                                         formatGeneral(fit->tLine * fit->slopeError, 8) + ") * x");
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "回帰切片:");
        surface.drawText({x + 5 + 12 * metrics.averageCharWidth, y},
                         formatGeneral(fit->intercept) + "+/-" + formatGeneral(errors.intercept) +
                             "(信頼限界)");
        y += metrics.lineHeight;
        surface.drawText({x + 30, y}, std::string("y=b+axについて帰無仮説a=0を") +
                                          (slopeRejected(*fit) ? "棄却" : "採択") +
                                          "(F=" + formatGeneral(fit->fValue) + ", F(" +
                                          formatFixed(1.0 - fit->checkLevel, 0, 6) +
                                          ")=" + formatGeneral(fit->fCritical) + ")");
    } else if (status.test(StatusFlag::Line)) {
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "y = " + formatGeneral(fit->intercept, 8) + " + " +
                                         formatGeneral(fit->slope, 8) + " * x");
    } else {
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "回帰式は得られません。");
    }
    area.top = y;
    return true;
}

std::optional<std::string> exportLinear(const LineFit* fit, CalcFlags calcFlags,
                                        FitColumns columns) {
    if (fit == nullptr || fit->method != kLinearMethod) {
        return std::nullopt;
    }
    if (columns == FitColumns::Heads) {
        return std::string("intercept\terror\tangle\terror\tconf. level\ttest level\ttest");
    }
    const LineErrors errors = ShownLineErrors(*fit, calcFlags);
    const double confidence = calcFlags.test(CalcFlag::Conf95) ? 0.95 : 0.68;
    return IrdNumber(fit->intercept) + "\t" + IrdNumber(errors.intercept) + "\t" +
           IrdNumber(fit->slope) + "\t" + IrdNumber(errors.slope) + "\t" + IrdNumber(confidence) +
           "\t" + IrdNumber(1.0 - fit->checkLevel) + "\t" + (slopeRejected(*fit) ? "a!=0" : "a=0");
}

// ---- The curves beyond the line ----

std::vector<TimedValue> activePoints(const RegressionResult& record) {
    std::vector<TimedValue> points;
    if (record.points) {
        points.reserve(static_cast<std::size_t>(record.activeCount));
        for (const DataPoint& point : *record.points) {
            if (point.isActive()) {
                points.push_back({point.time, point.value});
            }
        }
    }
    return points;
}

bool failFit(LineFit& fit, RegressionResult& record, std::string reason) {
    LogLine(formatText("No %s fit for %s: ", RegressionMethodName(fit.method).data(),
                       record.sheetName.c_str()) +
            reason);
    fit.failure = std::move(reason);
    record.status |= StatusFlag::FitFailed;
    return false;
}

CurveKind curveKind(std::uint32_t method) {
    if (method == kParabolicMethod) {
        return CurveKind::Parabola;
    }
    return method == kExponentialMethod ? CurveKind::Exponential : CurveKind::Mean;
}

// Standard error of a coefficient from the covariance, and of the value at time zero.
double coefficientError(const LineFit& fit, std::size_t i) {
    return std::sqrt(fit.covariance[4 * i]);
}

// Takes over a curve: the value at time zero as intercept, the errors with the unbiased residual
// variance and, as plain errors, with the residual variance per point.
void takeCurve(LineFit& fit, RegressionResult& record, const CurveFit& curve) {
    const double n = record.activeCount;
    const double freedom = n - curve.parameters;
    fit.coefficients = curve.coefficients;
    fit.covariance = curve.covariance;
    fit.intercept = curve.valueAtZero;
    fit.interceptError = std::sqrt(curve.valueAtZeroVariance);
    fit.interceptErrorPlain = fit.interceptError * std::sqrt(freedom / n);
    fit.residualPerPoint = curve.residualSquares / n;
    fit.checkLevel = record.checkLevel;
    record.status |= StatusFlag::Line;
    if (freedom > 0.0) {
        fit.residualVariance = curve.residualSquares / freedom;
        fit.tLine = TQuantile(record.alpha / 2.0, record.activeCount - curve.parameters);
        record.status |= StatusFlag::LineTest;
    }
}

// The parabola's slope at time zero is b1; its curvature is tested by t of b2.
void takeParabola(LineFit& fit, RegressionResult& record, const CurveFit& curve) {
    fit.method = kParabolicMethod;
    takeCurve(fit, record, curve);
    const double plain =
        fit.interceptError > 0.0 ? fit.interceptErrorPlain / fit.interceptError : 0.0;
    fit.slope = fit.coefficients[1];
    fit.slopeError = coefficientError(fit, 1);
    fit.slopeErrorPlain = fit.slopeError * plain;
    if (record.status.test(StatusFlag::LineTest)) {
        fit.curvatureT = std::fabs(fit.coefficients[2]) / coefficientError(fit, 2);
        fit.curvatureTCritical = TQuantile((1.0 - record.checkLevel) / 2.0, record.activeCount - 3);
    }
    LogLine("Parabola is convergent to " + formatGeneral(fit.intercept) + "(" +
            formatGeneral(fit.interceptError) + ") + " + formatGeneral(fit.coefficients[1]) +
            " * t + " + formatGeneral(fit.coefficients[2]) + " * t^2");
}

bool curvatureRejected(const LineFit& fit) {
    return fit.curvatureT > fit.curvatureTCritical;
}

bool computeParabolic(LineFit& fit, RegressionResult& record) {
    const CurveFit curve = FitParabola(activePoints(record));
    if (!curve.ok) {
        return failFit(fit, record, curve.failure);
    }
    takeParabola(fit, record, curve);
    return true;
}

bool computeExponential(LineFit& fit, RegressionResult& record) {
    const CurveFit curve = FitExponential(activePoints(record));
    if (!curve.ok) {
        return failFit(fit, record, curve.failure);
    }
    takeCurve(fit, record, curve);
    LogLine("Exponential is convergent to " + formatGeneral(fit.intercept) + "(" +
            formatGeneral(fit.interceptError) + "): " + formatGeneral(fit.coefficients[0]) +
            " * exp(-" + formatGeneral(fit.coefficients[1]) + " * t) + " +
            formatGeneral(fit.coefficients[2]));
    return true;
}

// The mean from the record's statistics; its error s / sqrt(n).
bool computeMean(LineFit& fit, RegressionResult& record) {
    const int n = record.activeCount;
    if (n < 1) {
        return failFit(fit, record, "no active point");
    }
    CurveFit curve;
    curve.parameters = 1;
    curve.coefficients = {record.mean, 0.0, 0.0};
    curve.valueAtZero = record.mean;
    curve.residualSquares = record.variance * n;
    if (n >= 2) {
        curve.valueAtZeroVariance = record.varianceUnbiased / n;
        curve.covariance[0] = curve.valueAtZeroVariance;
    }
    takeCurve(fit, record, curve);
    LogLine("Mean is " + formatGeneral(fit.intercept) + "(" + formatGeneral(fit.interceptError) +
            ")");
    return true;
}

// The parabola when at least 5 points are active and its b2 differs from 0 at the test level,
// else the line.
bool computeAutomatic(LineFit& fit, RegressionResult& record) {
    if (record.activeCount >= 5) {
        const CurveFit curve = FitParabola(activePoints(record));
        if (curve.ok) {
            LineFit parabola;
            const StatusFlags status = record.status;
            takeParabola(parabola, record, curve);
            if (record.status.test(StatusFlag::LineTest) && curvatureRejected(parabola)) {
                fit = std::move(parabola);
                fit.automatic = true;
                LogLine("Automatic choice: " + std::string(RegressionMethodName(fit.method)));
                return true;
            }
            record.status = status;
        }
    }
    fit = LineFit{};
    fit.automatic = true;
    LogLine("Automatic choice: " + std::string(RegressionMethodName(kLinearMethod)));
    return computeLinear(fit, record);
}

// The errors shown of a coefficient standard error sd, as the line's: plain (per point,
// doubled for 95 %) with the standard deviation, else times the t factor.
double shownError(const LineFit& fit, double sd, CalcFlags calcFlags) {
    if (calcFlags.test(CalcFlag::UseStdDev)) {
        const double plain =
            fit.interceptError > 0.0
                ? fit.interceptErrorPlain / fit.interceptError
                : std::sqrt(fit.residualPerPoint /
                            (fit.residualVariance > 0.0 ? fit.residualVariance : 1.0));
        return sd * plain * (calcFlags.test(CalcFlag::Conf95) ? 2.0 : 1.0);
    }
    return fit.tLine * sd;
}

std::string withError(double value, double error) {
    return formatGeneral(value, 8) + "(" + formatGeneral(error, 8) + ")";
}

// The formula line with the t-factor errors of the coefficients, or without errors.
std::string curveFormula(const LineFit& fit, bool errors) {
    const auto term = [&fit, errors](std::size_t i) {
        return errors ? withError(fit.coefficients[i], fit.tLine * coefficientError(fit, i))
                      : formatGeneral(fit.coefficients[i], 8);
    };
    switch (fit.method) {
    case kParabolicMethod:
        return "y = " + term(0) + " + " + term(1) + " * x + " + term(2) + " * x^2";
    case kExponentialMethod:
        // A negative rate (a growing curve) in parentheses, so that its sign is not read as a
        // second minus.
        return "y = " + term(0) + (fit.coefficients[1] < 0 ? " * exp(-(" : " * exp(-") + term(1) +
               (fit.coefficients[1] < 0 ? ") * x) + " : " * x) + ") + term(2);
    default:
        return "y = " + term(0);
    }
}

bool describeCurve(Surface& surface, SurfaceRect& area, StatusFlags status, CalcFlags calcFlags,
                   const LineFit* fit) {
    if (fit == nullptr) {
        return false;
    }
    const FontMetrics metrics = surface.fontMetrics();
    const int x = area.left;
    int y = area.top;
    const auto line = [&](int indent, const std::string& text) {
        y += metrics.lineHeight;
        surface.drawText({x + indent, y}, text);
    };
    if (status.test(StatusFlag::LineTest)) {
        line(5, curveFormula(*fit, true));
        line(5, "回帰切片:");
        surface.drawText({x + 5 + 12 * metrics.averageCharWidth, y},
                         formatGeneral(fit->intercept) + "+/-" +
                             formatGeneral(shownError(*fit, fit->interceptError, calcFlags)) +
                             "(信頼限界)");
        if (fit->method == kParabolicMethod) {
            line(30, std::string("y=b0+b1x+b2x^2について帰無仮説b2=0を") +
                         (curvatureRejected(*fit) ? "棄却" : "採択") +
                         "(t=" + formatGeneral(fit->curvatureT) + ", t(" +
                         formatFixed(1.0 - fit->checkLevel, 0, 6) +
                         ")=" + formatGeneral(fit->curvatureTCritical) + ")");
        } else {
            line(30, "残差の標準偏差=" + formatGeneral(std::sqrt(fit->residualVariance)));
        }
    } else if (status.test(StatusFlag::Line)) {
        line(5, curveFormula(*fit, false));
    } else {
        line(5, "回帰式は得られません。");
        if (!fit->failure.empty()) {
            line(30, std::string(RegressionMethodName(fit->method)) + ": " + fit->failure);
        }
    }
    area.top = y;
    return true;
}

// The automatic method leaves the chosen method's fit; its own entry describes nothing.
bool describeAutomatic(Surface& surface, SurfaceRect& area, StatusFlags status, CalcFlags calcFlags,
                       const LineFit* fit) {
    return describeCurve(surface, area, status, calcFlags, fit);
}

std::optional<std::string> exportCurve(const LineFit* fit, CalcFlags calcFlags, FitColumns columns,
                                       std::uint32_t method) {
    if (fit == nullptr || fit->method != method) {
        return std::nullopt;
    }
    const bool heads = columns == FitColumns::Heads;
    if (!heads && !fit->failure.empty()) {
        return std::nullopt;
    }
    const std::string confidence = IrdNumber(calcFlags.test(CalcFlag::Conf95) ? 0.95 : 0.68);
    const auto error = [&](std::size_t i) {
        return IrdNumber(shownError(*fit, coefficientError(*fit, i), calcFlags));
    };
    const std::string atZero = IrdNumber(fit->intercept) + "\t" +
                               IrdNumber(shownError(*fit, fit->interceptError, calcFlags));
    switch (method) {
    case kParabolicMethod:
        if (heads) {
            return std::string(
                "intercept\terror\tb1\terror\tb2\terror\tconf. level\ttest level\ttest");
        }
        return atZero + "\t" + IrdNumber(fit->coefficients[1]) + "\t" + error(1) + "\t" +
               IrdNumber(fit->coefficients[2]) + "\t" + error(2) + "\t" + confidence + "\t" +
               IrdNumber(1.0 - fit->checkLevel) + "\t" +
               (curvatureRejected(*fit) ? "b2!=0" : "b2=0");
    case kExponentialMethod:
        if (heads) {
            return std::string("intercept\terror\ta\terror\tb\terror\tc\terror\tconf. level");
        }
        return atZero + "\t" + IrdNumber(fit->coefficients[0]) + "\t" + error(0) + "\t" +
               IrdNumber(fit->coefficients[1]) + "\t" + error(1) + "\t" +
               IrdNumber(fit->coefficients[2]) + "\t" + error(2) + "\t" + confidence;
    default:
        if (heads) {
            return std::string("intercept\terror\tconf. level");
        }
        return atZero + "\t" + confidence;
    }
}

std::optional<std::string> exportParabolic(const LineFit* fit, CalcFlags calcFlags,
                                           FitColumns columns) {
    return exportCurve(fit, calcFlags, columns, kParabolicMethod);
}
std::optional<std::string> exportExponential(const LineFit* fit, CalcFlags calcFlags,
                                             FitColumns columns) {
    return exportCurve(fit, calcFlags, columns, kExponentialMethod);
}
std::optional<std::string> exportMean(const LineFit* fit, CalcFlags calcFlags, FitColumns columns) {
    return exportCurve(fit, calcFlags, columns, kMeanMethod);
}
// A fit keeps the index of the method the automatic one chose: nothing is exported as "自動".
std::optional<std::string> exportAutomatic(const LineFit*, CalcFlags, FitColumns) {
    return std::nullopt;
}

constexpr std::array kMethods{
    RegressionMethod{kRegressionMethodNamings[0].name, createFit<kLinearMethod>, computeLinear,
                     describeLinear, exportLinear},
    RegressionMethod{kRegressionMethodNamings[1].name, createFit<kParabolicMethod>,
                     computeParabolic, describeCurve, exportParabolic},
    RegressionMethod{kRegressionMethodNamings[2].name, createFit<kExponentialMethod>,
                     computeExponential, describeCurve, exportExponential},
    RegressionMethod{kRegressionMethodNamings[3].name, createFit<kMeanMethod>, computeMean,
                     describeCurve, exportMean},
    RegressionMethod{kRegressionMethodNamings[4].name, createFit<kAutomaticMethod>,
                     computeAutomatic, describeAutomatic, exportAutomatic},
};

static_assert(kMethods.size() == kRegressionMethodNamings.size());

} // namespace

std::span<const RegressionMethod> RegressionMethods() {
    return kMethods;
}

std::optional<std::uint32_t> FindRegressionMethod(std::string_view name) {
    return FindRegressionMethodNaming(name);
}

std::string_view RegressionMethodName(std::uint32_t method) {
    return method < kMethods.size() ? kMethods[method].name : kMethods.front().name;
}

std::string_view RegressionMethodKeyword(std::uint32_t method) {
    return method < kRegressionMethodNamings.size() ? kRegressionMethodNamings[method].keyword
                                                    : std::string_view();
}

std::uint32_t RecordMethod(const RegressionResult& record) {
    return record.fit ? record.fit->method : record.fitMethod;
}

bool HasFittedCurve(const RegressionResult& record) {
    return record.fit && record.fit->method != kAutomaticMethod &&
           record.fit->method < kMethods.size() && record.status.test(StatusFlag::Line);
}

double FittedValue(const LineFit& fit, double t) {
    if (fit.method == kLinearMethod) {
        return fit.slope * t + fit.intercept;
    }
    return CurveValue(curveKind(fit.method), fit.coefficients, t);
}

double BandHalfWidth(const LineFit& fit, double t) {
    if (fit.method == kLinearMethod) {
        return fit.tLine *
               std::sqrt(fit.residualVariance * (fit.a11 + 2.0 * fit.a12 * t + fit.a22 * t * t));
    }
    return fit.tLine * std::sqrt(CurveValueVariance(curveKind(fit.method), fit.coefficients,
                                                    fit.covariance, t));
}

LineErrors ShownLineErrors(const LineFit& fit, CalcFlags calcFlags) {
    if (calcFlags.test(CalcFlag::UseStdDev)) {
        const double factor = calcFlags.test(CalcFlag::Conf95) ? 2.0 : 1.0;
        return {fit.interceptErrorPlain * factor, fit.slopeErrorPlain * factor};
    }
    return {fit.tLine * fit.interceptError, fit.tLine * fit.slopeError};
}

bool SlopeTestRejects(const LineFit& fit) {
    return slopeRejected(fit);
}

} // namespace tarnova
