#include "calc/coefficient_tests.h"

#include "calc/distributions.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"

#include <cmath>

namespace tarnova {
namespace {

// Without a degree of freedom there is no percentage point (it shows as -1) and nothing can
// be rejected.
TestOutcome decide(double statistic, double percentagePoint, int degreesOfFreedom, double p,
                   const char* hypothesis) {
    TestOutcome outcome;
    outcome.percentagePoint = percentagePoint;
    outcome.percentagePointText = formatGeneral(percentagePoint);
    outcome.rejected = p > 0 && degreesOfFreedom >= 1 && statistic > percentagePoint;
    // "帰無仮説%sは有意水準%f%%(信頼度%f%%)で棄却されました。" or "…棄却できませんでした。"
    outcome.verdict = std::string("帰無仮説") + hypothesis + "は有意水準" +
                      formatFixed(p * 100, 0, 6) + "%(信頼度" + formatFixed((1 - p) * 100, 0, 6) +
                      (outcome.rejected ? "%)で棄却されました。" : "%)で棄却できませんでした。");
    return outcome;
}

} // namespace

std::string_view correlationTestRefusal(bool hasRecord, int activeCount, unsigned fitMethod) {
    if (!hasRecord || activeCount < 2) {
        return kTooFewDataToTest;
    }
    if (fitMethod != 0) {
        return kDataCannotBeTested;
    }
    return {};
}

std::string_view slopeTestRefusal(bool hasRecord, int activeCount, bool hasFit,
                                  unsigned fitMethod) {
    if (!hasRecord || activeCount < 2) {
        return kTooFewDataToTest;
    }
    if (!hasFit || fitMethod != 0) {
        return kDataCannotBeTested;
    }
    return {};
}

double significanceFromPercentText(std::string_view text) {
    TextScanner scanner(text);
    double percent = 0;
    if (!scanner.readDouble(percent) || !std::isfinite(percent)) {
        return 0;
    }
    return percent / 100;
}

CorrelationTestFields correlationTestFields(int activeCount, double r, double tOfR) {
    return {formatText("%d", activeCount), formatText("%d", activeCount - 2), formatFixed(r, 0, 6),
            formatGeneral(tOfR)};
}

SlopeTestFields slopeTestFields(int activeCount, double variance, double regressionPerPoint,
                                double residualPerPoint, double fValue) {
    return {formatText("%d", activeCount),   formatText("%d", activeCount - 2),
            formatGeneral(variance),         formatGeneral(regressionPerPoint),
            formatGeneral(residualPerPoint), formatGeneral(fValue)};
}

void logSlopeTestVariances(double variance, double regressionPerPoint, double residualPerPoint) {
    LogLine(formatGeneral(variance) + " - " + formatGeneral(regressionPerPoint) + " = " +
            formatGeneral(residualPerPoint));
}

TestOutcome correlationTest(double tOfR, int activeCount, double p) {
    const int degrees = activeCount - 2;
    return decide(std::fabs(tOfR), TQuantile(p / 2, degrees), degrees, p, "r=0");
}

TestOutcome slopeTest(double fValue, int activeCount, double p) {
    const int degrees = activeCount - 2;
    return decide(fValue, FQuantile(p, 1, degrees), degrees, p, "a=0");
}

} // namespace tarnova
