// Undo and redo of the point commands against the states recorded after each command.
#include "results/point_history.h"

#include "calc/calc_state.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/test_peaks.h"
#include "results/point_editing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace tarnova {
namespace {

using test::makePeak;

// Ar36, Ar38 and Ar40 measured in turn, 24 cycles, with some scatter; the sheets Ar36, Ar40,
// Ar40/Ar36 and Ar38/Ar36, calculated as the program does.
CalcState measured() {
    CalcState state;
    state.calcFlags = CalcFlag::Confirmed | CalcFlag::Conf95;
    std::mt19937 scatter(7);
    std::uniform_real_distribution<double> noise(-0.02, 0.02);
    for (int cycle = 0; cycle < 24; ++cycle) {
        const double t = 10.0 * cycle;
        state.peaks.push_back(makePeak("Ar36", t + 1, 10.0 * (1 + noise(scatter)) - 0.01 * cycle));
        state.peaks.push_back(makePeak("Ar38", t + 4, 1.9 * (1 + noise(scatter))));
        state.peaks.push_back(makePeak("Ar40", t + 7, 2955.0 * (1 + noise(scatter)) + cycle));
    }
    state.results.emplace();
    for (const auto& [numerator, denominator] :
         std::initializer_list<std::pair<const char*, const char*>>{
             {"Ar36", ""}, {"Ar40", ""}, {"Ar40", "Ar36"}, {"Ar38", "Ar36"}}) {
        RegressionResult record;
        record.numerator = numerator;
        record.denominator = denominator;
        state.results->push_back(record);
    }
    EXPECT_EQ(RunRegressions(state, 99.7), RecordsFitted::All);
    return state;
}

std::string bits(double value) {
    char text[40];
    std::snprintf(text, sizeof text, " %a", value);
    return text;
}

// Everything of the calculation that a point command may change, exactly (doubles by their
// bits): every field of every record, the flags of the peaks and the methods chosen by name.
std::string fingerprint(const CalcState& state) {
    std::string text;
    for (const RegressionResult& r : *state.results) {
        text += r.sheetName + "|" + std::to_string(r.status.raw()) + " " +
                std::to_string(r.pointCount) + " " + std::to_string(r.activeCount) + " " +
                std::to_string(r.fitMethod);
        for (const double value : {r.mean,
                                   r.variance,
                                   r.varianceUnbiased,
                                   r.stdDev,
                                   r.stdDevUnbiased,
                                   r.maxValue,
                                   r.minValue,
                                   r.sumSquares,
                                   r.meanTime,
                                   r.varianceTime,
                                   r.varianceTimeUnbiased,
                                   r.stdDevTime,
                                   r.stdDevTimeUnbiased,
                                   r.maxTime,
                                   r.minTime,
                                   r.sumSquaresTime,
                                   r.covariance,
                                   r.r,
                                   r.tOfR,
                                   r.tCritical,
                                   r.alpha,
                                   r.tLimit,
                                   r.checkLevel}) {
            text += bits(value);
        }
        if (const std::optional<LineFit>& f = r.fit) {
            text += " fit " + std::to_string(f->method) + f->failure;
            for (const double value :
                 {f->slope, f->slopeError, f->intercept, f->interceptError, f->residualVariance,
                  f->tLine, f->a11, f->a12, f->a22, f->fValue, f->fCritical, f->coefficients[0],
                  f->coefficients[1], f->coefficients[2], f->curvatureT}) {
                text += bits(value);
            }
        }
        for (const DataPoint& p : PointsOf(r)) {
            text += " " + std::to_string(p.peakIndex) + ":" +
                    std::to_string((p.flags & ~PointFlag::OffGraph).raw()) + bits(p.time) +
                    bits(p.value);
        }
        text += "\n";
    }
    for (const PeakRecord& peak : state.peaks) {
        text += std::to_string(peak.flags.raw());
    }
    text += "\n" + std::to_string(state.fitChoices.method);
    for (const auto& [name, method] : state.fitChoices.byName) {
        text += " " + name + "=" + std::to_string(method);
    }
    return text;
}

class History : public ::testing::Test {
  protected:
    CalcState state = measured();
    PointHistory history;
    test::ScriptedCalculationPort port;

    RegressionResult& sheet(int number) { return *SheetRecord(state, number); }
    bool click(int number, int point, PointButton button = PointButton::Left) {
        return history.record(state, number,
                              [&] { return ClickDataPoint(sheet(number), point, button); });
    }
    void updateAll() {
        history.record(state, kAllSheets, [&] {
            KeepPointStates(state, kAllSheets, 0, port, 99.7);
            return true;
        });
    }
};

// 200 random point commands, mostly clicks; each recorded state comes back, exactly, by undo
// and by redo, and a command after some undos drops the steps undone.
TEST_F(History, TwoHundredRandomCommandsUndoneAndRedoneToTheRecordedStates) {
    std::mt19937 random(20);
    std::vector<std::string> states{fingerprint(state)};
    for (int command = 0; command < 200; ++command) {
        const int number = static_cast<int>(random() % 4);
        const int points = static_cast<int>(PointsOf(sheet(number)).size());
        const int point = points == 0 ? 0 : static_cast<int>(random() % points);
        switch (random() % 20) {
        case 0: {
            std::vector<bool> selected;
            for (int i = 0; i < points; ++i) {
                selected.push_back(random() % 3 != 0);
            }
            history.record(state, number, [&] {
                ApplyEnabledPoints(sheet(number), selected);
                return true;
            });
            break;
        }
        case 1:
            history.record(state, number, [&] {
                EnableAllDataPoints(sheet(number));
                return true;
            });
            break;
        case 2:
        case 3:
            history.record(state, number, [&] {
                return SetSheetMethod(state, number,
                                      static_cast<std::uint32_t>(random() % kAutomaticMethod));
            });
            break;
        case 4:
            updateAll();
            break;
        case 5:
            click(number, point, PointButton::Right);
            break;
        default:
            click(number, point);
            break;
        }
        const std::string now = fingerprint(state);
        if (now != states.back()) {
            states.push_back(now);
        }
    }
    ASSERT_GT(states.size(), 150u);

    for (std::size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(history.undo(state).has_value()) << step;
        ASSERT_EQ(fingerprint(state), states[step - 1]) << step;
    }
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.undo(state).has_value());
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(history.redo(state).has_value()) << step;
        ASSERT_EQ(fingerprint(state), states[step]) << step;
    }
    EXPECT_FALSE(history.canRedo());

    for (int i = 0; i < 10; ++i) {
        history.undo(state);
    }
    ASSERT_EQ(fingerprint(state), states[states.size() - 11]);
    const bool enabled = sheet(2).points->at(5).isActive();
    ASSERT_TRUE(click(2, 5));
    EXPECT_FALSE(history.canRedo());
    ASSERT_TRUE(history.undo(state).has_value());
    EXPECT_EQ(fingerprint(state), states[states.size() - 11]);
    EXPECT_EQ(sheet(2).points->at(5).isActive(), enabled);
}

// Update All forms the ratio points anew without the disabled peaks; undo gives the records
// their points and the peak list its flags back, and the method chosen by name is undone too.
// Undo and redo name the one sheet a step changed.
TEST_F(History, UpdateAllAndMethodsComeBackWhole) {
    ASSERT_TRUE(click(1, 4));                      // an Ar40 peak, which the ratio then leaves
    EXPECT_FALSE(click(1, 4, PointButton::Right)); // changes nothing: no step
    EXPECT_EQ(history.undo(state), 1);
    EXPECT_EQ(history.redo(state), 1);
    const int ratioPoints = sheet(2).pointCount;
    updateAll();
    ASSERT_EQ(sheet(2).pointCount, ratioPoints - 1);
    ASSERT_TRUE(history.record(state, 2, [&] { return SetSheetMethod(state, 2, kMeanMethod); }));
    EXPECT_EQ(ChosenFitMethod(state.fitChoices, "Ar40", "Ar36"), kMeanMethod);

    ASSERT_TRUE(history.undo(state));
    EXPECT_EQ(ChosenFitMethod(state.fitChoices, "Ar40", "Ar36"), kLinearMethod);
    EXPECT_EQ(sheet(2).fit->method, kLinearMethod);
    EXPECT_EQ(history.undo(state), 2); // the one sheet Update All changed
    EXPECT_EQ(sheet(2).pointCount, ratioPoints);
    for (const PeakRecord& peak : state.peaks) {
        EXPECT_FALSE(peak.isDisabled());
    }
    EXPECT_FALSE(sheet(1).points->at(4).isActive());
}

// A command that replaced the table ends the history; so does a table that lost the records
// of a step.
TEST_F(History, ANewTableEndsTheHistory) {
    ASSERT_TRUE(click(2, 1));
    ASSERT_TRUE(click(2, 2));
    history.record(state, kAllSheets, [&] {
        state.results->pop_back();
        return true;
    });
    EXPECT_FALSE(history.canUndo());

    ASSERT_TRUE(click(2, 1));
    state.results->resize(2);
    EXPECT_FALSE(history.undo(state).has_value());
    EXPECT_FALSE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
}

} // namespace
} // namespace tarnova
