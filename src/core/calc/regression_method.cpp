#include "calc/regression_method.h"

#include "calc/calc_state.h"
#include "calc/distributions.h"
#include "calc/ird_export.h"
#include "platform/run_log.h"
#include "platform/surface.h"
#include "platform/text_format.h"

#include <array>
#include <cmath>

namespace tarnova {
namespace {

constexpr std::uint32_t kLinearMethod = 0;

std::optional<LineFit> createLinear() {
    LineFit fit;
    fit.method = kLinearMethod;
    return fit;
}

int computeLinear(LineFit& fit, RegressionResult& record) {
    const int n = record.activeCount;
    if (n < 2) {
        return 0;
    }
    // From the centred sums of the statistics: the line passes through the means.
    const double count = n;
    fit.slope = record.covariance / record.varianceTime;
    fit.intercept = record.mean - fit.slope * record.meanTime;
    record.status |= kStatusLine;
    if (n == 2) {
        LogLine("Line is unified to " + formatGeneral(fit.intercept) + " + " +
                formatGeneral(fit.slope) + " * t.");
        return 1;
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
    record.status |= kStatusLineTest;
    LogLine("Regression: Variance = " + formatGeneral(record.variance) + "(" +
            formatGeneral(fit.residualPerPoint) + " + " + formatGeneral(fit.regressionPerPoint) +
            " = " + formatGeneral(fit.residualPerPoint + fit.regressionPerPoint) +
            "), F/Fchk = " + formatGeneral(fit.fValue) + "/" + formatGeneral(fit.fCritical));
    LogLine("Line is convergent to " + formatGeneral(fit.intercept) + "(" +
            formatGeneral(fit.interceptError) + ") + " + formatGeneral(fit.slope) + "(" +
            formatGeneral(fit.slopeError) + ") * t");
    return 1;
}

bool slopeRejected(const LineFit& fit) {
    return fit.fValue > fit.fCritical;
}

int describeLinear(Surface& surface, SurfaceRect& area, std::uint32_t flags, const LineFit* fit) {
    if (fit == nullptr) {
        return 0;
    }
    const FontMetrics metrics = surface.fontMetrics();
    const int x = area.left;
    int y = area.top;
    if ((flags & kStatusLineTest) != 0) {
        const LineErrors errors = ShownLineErrors(*fit, flags >> kDescribeCalcShift);
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
    } else if ((flags & kStatusLine) != 0) {
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "y = " + formatGeneral(fit->intercept, 8) + " + " +
                                         formatGeneral(fit->slope, 8) + " * x");
    } else {
        y += metrics.lineHeight;
        surface.drawText({x + 5, y}, "回帰式は得られません。");
    }
    area.top = y;
    return 1;
}

std::optional<std::string> exportLinear(const LineFit* fit, std::uint32_t flags) {
    if (fit == nullptr || fit->method != kLinearMethod) {
        return std::nullopt;
    }
    if ((flags & kExportColumnHeads) != 0) {
        return std::string("intercept\terror\tangle\terror\tconf. level\ttest level\ttest");
    }
    const LineErrors errors = ShownLineErrors(*fit, flags);
    const double confidence = (flags & kCalcConf95) != 0 ? 0.95 : 0.68;
    return IrdNumber(fit->intercept) + "\t" + IrdNumber(errors.intercept) + "\t" +
           IrdNumber(fit->slope) + "\t" + IrdNumber(errors.slope) + "\t" + IrdNumber(confidence) +
           "\t" + IrdNumber(1.0 - fit->checkLevel) + "\t" + (slopeRejected(*fit) ? "a!=0" : "a=0");
}

constexpr std::array kMethods{
    RegressionMethod{"一次回帰", createLinear, computeLinear, describeLinear, exportLinear},
};

} // namespace

std::span<const RegressionMethod> RegressionMethods() {
    return kMethods;
}

LineErrors ShownLineErrors(const LineFit& fit, std::uint32_t calcFlags) {
    if ((calcFlags & kCalcUseStdDev) != 0) {
        const double factor = (calcFlags & kCalcConf95) != 0 ? 2.0 : 1.0;
        return {fit.interceptErrorPlain * factor, fit.slopeErrorPlain * factor};
    }
    return {fit.tLine * fit.interceptError, fit.tLine * fit.slopeError};
}

bool SlopeTestRejects(const LineFit& fit) {
    return slopeRejected(fit);
}

} // namespace tarnova
