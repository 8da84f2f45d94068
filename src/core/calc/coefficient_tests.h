// The tests of one result sheet at a significance level the user chooses: the t test of the
// correlation coefficient (r = 0) and the F test of the slope of the line (a = 0). They
// take the statistics the regression computed and change nothing; the dialogs only show
// the texts made here. All texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

inline constexpr std::string_view kNotTestedVerdict = "未検定";
inline constexpr std::string_view kTooFewDataToTest = "データ数が少ないため検定できません。";
inline constexpr std::string_view kDataCannotBeTested = "検定できないデータです。";

// The message (caption "Tarnova") that refuses to open a test, or an empty view when the
// test can be opened. fitMethod is the method index of the sheet's fit: both tests belong to
// the line, and records fitted otherwise are refused.
std::string_view correlationTestRefusal(bool hasRecord, int activeCount, unsigned fitMethod = 0);
std::string_view slopeTestRefusal(bool hasRecord, int activeCount, bool hasFit, unsigned fitMethod);

// The significance level p from the text of the level field, which is in percent: the number
// the text begins with, divided by 100; 0 when the text does not begin with a finite number.
double significanceFromPercentText(std::string_view text);

struct CorrelationTestFields {
    std::string sampleSize;       // "%d" of the active points
    std::string degreesOfFreedom; // "%d" of the active points - 2
    std::string r;                // "%f"
    std::string tValue;           // "%G"
};
CorrelationTestFields correlationTestFields(int activeCount, double r, double tOfR);

struct SlopeTestFields {
    std::string sampleSize;       // "%d" of the active points
    std::string degreesOfFreedom; // "%d" of the active points - 2
    std::string totalVariance;    // "%G" of the variance of the values
    std::string betweenVariance;  // "%G" of the regression sum of squares per point
    std::string withinVariance;   // "%G" of the residual sum of squares per point
    std::string fValue;           // "%G"
};
SlopeTestFields slopeTestFields(int activeCount, double variance, double regressionPerPoint,
                                double residualPerPoint, double fValue);

// Writes "%G - %G = %G" of the three variances to the run log, as the slope test opens.
void logSlopeTestVariances(double variance, double regressionPerPoint, double residualPerPoint);

struct TestOutcome {
    double percentagePoint = 0;      // the critical value; negative where none exists
    bool rejected = false;           // the null hypothesis is rejected
    std::string percentagePointText; // "%G" of percentagePoint
    std::string verdict;
};

// Two-sided t test of r = 0: |tOfR| against the upper p/2 point of t with n - 2 degrees of
// freedom, n being the active points. Neither test rejects at p <= 0 or with fewer than
// three active points.
TestOutcome correlationTest(double tOfR, int activeCount, double p);
// F test of a = 0: fValue against the upper p point of F with 1 and n - 2 degrees of freedom.
TestOutcome slopeTest(double fValue, int activeCount, double p);

} // namespace tarnova
