#include "calc/coefficient_tests.h"

#include "core/support/log_capture.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(CoefficientTests, CorrelationVerdictAtFivePercentWithEightPoints) {
    // Upper 2.5% point of t with 6 degrees of freedom: 2.446912 (tables).
    const TestOutcome rejected = correlationTest(2.5, 8, 0.05);
    EXPECT_NEAR(rejected.percentagePoint, 2.446912, 5e-7);
    EXPECT_EQ(rejected.percentagePointText, "2.44691");
    EXPECT_TRUE(rejected.rejected);
    EXPECT_EQ(rejected.verdict,
              "帰無仮説r=0は有意水準5.000000%(信頼度95.000000%)で棄却されました。");

    const TestOutcome kept = correlationTest(2.4, 8, 0.05);
    EXPECT_FALSE(kept.rejected);
    EXPECT_EQ(kept.verdict,
              "帰無仮説r=0は有意水準5.000000%(信頼度95.000000%)で棄却できませんでした。");
}

TEST(CoefficientTests, SlopeVerdictUsesOneAndNMinusTwoDegrees) {
    // Upper 5% point of F(1, 10): 4.964603 (tables); 1% point of F(1, 3): 34.11622.
    const TestOutcome five = slopeTest(5.0, 12, 0.05);
    EXPECT_NEAR(five.percentagePoint, 4.964603, 5e-6);
    EXPECT_EQ(five.percentagePointText, "4.9646");
    EXPECT_TRUE(five.rejected);
    EXPECT_EQ(five.verdict, "帰無仮説a=0は有意水準5.000000%(信頼度95.000000%)で棄却されました。");

    const TestOutcome one = slopeTest(30, 5, 0.01);
    EXPECT_NEAR(one.percentagePoint, 34.11622, 5e-5);
    EXPECT_FALSE(one.rejected);
    EXPECT_EQ(one.verdict,
              "帰無仮説a=0は有意水準1.000000%(信頼度99.000000%)で棄却できませんでした。");
}

TEST(CoefficientTests, AStatisticEqualToThePointIsNotRejected) {
    const TestOutcome t = correlationTest(correlationTest(0, 10, 0.05).percentagePoint, 10, 0.05);
    EXPECT_FALSE(t.rejected);
    const TestOutcome f = slopeTest(slopeTest(0, 10, 0.05).percentagePoint, 10, 0.05);
    EXPECT_FALSE(f.rejected);
}

TEST(CoefficientTests, LevelZeroOrTwoActivePointsRejectNothing) {
    // Level zero has the point 0; two active points have no point at all (-1).
    const struct {
        double statistic;
        int points;
        double level;
        const char* pointText;
        const char* verdict;
    } cases[] = {{1e9, 8, 0, "0",
                  "帰無仮説r=0は有意水準0.000000%(信頼度100.000000%)で棄却できませんでした。"},
                 {0, 2, 0.05, "-1",
                  "帰無仮説r=0は有意水準5.000000%(信頼度95.000000%)で棄却できませんでした。"}};
    for (const auto& row : cases) {
        SCOPED_TRACE(row.pointText);
        const TestOutcome t = correlationTest(row.statistic, row.points, row.level);
        EXPECT_EQ(t.percentagePointText, row.pointText);
        EXPECT_FALSE(t.rejected);
        EXPECT_EQ(t.verdict, row.verdict);
        const TestOutcome f = slopeTest(row.statistic, row.points, row.level);
        EXPECT_EQ(f.percentagePointText, row.pointText);
        EXPECT_FALSE(f.rejected);
    }
    // With three points the percentage points exist: t(0.0015, 1) = cot(0.0015 pi).
    EXPECT_NEAR(correlationTest(0, 3, 0.003).percentagePoint, 212.205, 5e-4);
    EXPECT_NEAR(slopeTest(0, 3, 0.003).percentagePoint, 45030.97, 5e-3);
}

TEST(CoefficientTests, LevelFromTheTypedPercentText) {
    EXPECT_DOUBLE_EQ(significanceFromPercentText(" 2.5%"), 0.025);
    EXPECT_EQ(significanceFromPercentText("abc"), 0);
    EXPECT_EQ(significanceFromPercentText("1e999"), 0);
}

TEST(CoefficientTests, RefusalsBeforeOpening) {
    EXPECT_EQ(correlationTestRefusal(false, 10), "データ数が少ないため検定できません。");
    EXPECT_TRUE(correlationTestRefusal(true, 2).empty());
    EXPECT_EQ(correlationTestRefusal(true, 5, 1), "検定できないデータです。");
    EXPECT_EQ(slopeTestRefusal(true, 1, true, 0), "データ数が少ないため検定できません。");
    EXPECT_EQ(slopeTestRefusal(true, 5, true, 1), "検定できないデータです。");
    EXPECT_TRUE(slopeTestRefusal(true, 2, true, 0).empty());
}

TEST(CoefficientTests, FieldTextsAndOpeningLogLine) {
    const CorrelationTestFields c = correlationTestFields(8, -0.5, 1.4142136);
    EXPECT_EQ(c.degreesOfFreedom, "6");
    EXPECT_EQ(c.tValue, "1.41421");
    const SlopeTestFields s = slopeTestFields(2, 2.5e-7, 1.5, 1, 123456789);
    EXPECT_EQ(s.degreesOfFreedom, "0");
    // Numbers as every text of the program shows them: three exponent digits, ties away
    // from zero.
    EXPECT_EQ(s.totalVariance, "2.5E-007");
    EXPECT_EQ(s.fValue, "1.23457E+008");
    EXPECT_EQ(correlationTestFields(8, 0.0078125, 1234.125).tValue, "1234.13");
    EXPECT_EQ(correlationTestFields(8, 0.0078125, 1234.125).r, "0.007813");

    test::LogCapture log;
    logSlopeTestVariances(2.5, 1.5e-12, 1);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"2.5 - 1.5E-012 = 1"});
}

} // namespace
} // namespace tarnova
