// The tidy table of many measurements, read back with a CSV reader of its own and compared with
// values worked out by hand and with Boost.Math.
#include "calc/calc_state.h"
#include "calc/regression.h"
#include "calc/tidy_table.h"
#include "core/support/boost_reference.h"
#include "core/support/regression_records.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::withPoints;

// RFC 4180 records of text: fields separated by commas, records by "\r\n", quoted fields with
// doubled quotes.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.empty() && record.empty()) << "the text does not end with a record";
    return records;
}

// The rows of a table as maps from the column names of its header row.
std::vector<std::map<std::string, std::string>> csvRows(const TidyMeasurement& measurement) {
    TidyTableText table(TidyTableFormat::Csv);
    table.append(TidyTableRows(measurement, TidyTableFormat::Csv));
    const auto records = readCsv(table.finish());
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t r = 1; r < records.size(); ++r) {
        EXPECT_EQ(records[r].size(), records[0].size());
        std::map<std::string, std::string> row;
        for (std::size_t c = 0; c < records[r].size() && c < records[0].size(); ++c) {
            row[records[0][c]] = records[r][c];
        }
        rows.push_back(row);
    }
    return rows;
}

double numberIn(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "not a number: " << text;
    return value;
}

void expectClose(const std::string& text, double expected) {
    EXPECT_NEAR(numberIn(text), expected, std::fabs(expected) * 1e-12) << text;
}

// Times 2, 4, 6 and values 3, 3.3, 3.15: mean 3.15, unbiased deviation 0.15, r 0.5, the line
// 3 + 0.0375 t with a residual sum of squares of 0.03375 on one degree of freedom.
TEST(TidyTable, RecordValuesAtFullPrecision) {
    const std::vector<RegressionResult> records{
        test::regressedRecord({{2, 3}, {4, 3.3}, {6, 3.15}})};
    TidyMeasurement measurement;
    measurement.file = "runs/run 7.pks";
    measurement.format = FileKind::Pks;
    measurement.records = records;
    const auto rows = csvRows(measurement);
    ASSERT_EQ(rows.size(), 1u);
    const auto& row = rows[0];
    EXPECT_EQ(row.at("format"), "PKS");
    EXPECT_EQ(row.at("type"), "ratio");
    EXPECT_EQ(row.at("denominator"), "Ar36");
    EXPECT_EQ(row.at("status"), "ok");
    expectClose(row.at("mean"), 3.15);
    expectClose(row.at("stddev"), 0.15);
    // alpha 0.05: the limits use t(0.025) with n - 1 and n - 2 degrees of freedom.
    expectClose(row.at("mean_limit"), 0.15 * test::upperT(0.025, 2));
    expectClose(row.at("r"), 0.5);
    expectClose(row.at("intercept"), 3.0);
    expectClose(row.at("slope"), 0.0375);
    const double residual = 0.03375;
    expectClose(row.at("slope_error"), std::sqrt(residual / 8.0) * test::upperT(0.025, 1));
    expectClose(row.at("intercept_error"),
                std::sqrt(residual * (1.0 / 3.0 + 16.0 / 8.0)) * test::upperT(0.025, 1));
    EXPECT_EQ(row.at("test_level"), ShortestNumber(1.0 - 0.997));
    EXPECT_EQ(row.at("r_test"), "r=0");
    EXPECT_EQ(row.at("slope_test"), "a=0");
}

TEST(TidyTable, EstimateAndLevelFollowTheCalculationFlags) {
    const std::vector<RegressionResult> records{
        test::regressedRecord({{1, 2}, {2, 4}, {3, 3}, {4, 5}})};
    const RegressionResult& record = records[0];
    const struct {
        CalcFlags flags;
        const char* estimate;
        const char* level;
        double deviation;
        double limit;
    } cases[] = {
        {CalcFlag::UseStdDev | CalcFlag::Conf95, "sd", "0.95", record.stdDev, 2.0 * record.stdDev},
        {CalcFlag::Conf95, "unbiased", "0.95", record.stdDevUnbiased,
         record.stdDevUnbiased * record.tLimit},
        {{}, "unbiased", "0.68", record.stdDevUnbiased, record.stdDevUnbiased * record.tLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags.raw());
        TidyMeasurement measurement;
        measurement.records = records;
        measurement.calcFlags = c.flags;
        const auto row = csvRows(measurement).at(0);
        EXPECT_EQ(row.at("estimate"), c.estimate);
        EXPECT_EQ(row.at("confidence_level"), c.level);
        EXPECT_EQ(numberIn(row.at("stddev")), c.deviation);
        EXPECT_EQ(numberIn(row.at("mean_limit")), c.limit);
    }
    // The plain errors of the line, doubled for 95 %.
    TidyMeasurement measurement;
    measurement.records = records;
    measurement.calcFlags = CalcFlag::UseStdDev | CalcFlag::Conf95;
    const auto row = csvRows(measurement).at(0);
    EXPECT_EQ(numberIn(row.at("slope_error")), 2.0 * record.fit->slopeErrorPlain);
    EXPECT_EQ(numberIn(row.at("intercept_error")), 2.0 * record.fit->interceptErrorPlain);
}

// A value the record does not have is an empty cell, never a zero that looks like a result.
TEST(TidyTable, RecordsWithFewPointsLeaveTheirMissingValuesEmpty) {
    RegressionResult none;
    none.numerator = "Kr84";
    none.pointCount = kPointsNone;
    RegressionResult allDisabled = withPoints({{1, 2}, {2, 3}});
    for (DataPoint& point : *allDisabled.points) {
        point.flags = PointFlag::Disabled;
    }
    ComputeStatistics(allDisabled);
    const std::vector<RegressionResult> records{none, allDisabled, test::regressedRecord({{1, 2}}),
                                                test::regressedRecord({{1, 2}, {3, 5}}),
                                                test::regressedRecord({{1, 2}, {3, 5}, {4, 5}})};
    const struct {
        const char* record;
        const char* status;
        const char* points;
        const char* active;
        bool mean, r, line, errors;
    } expected[] = {
        {"Kr84", "no data points", "0", "0", false, false, false, false},
        {"Ar40/Ar36", "no active points", "2", "0", false, false, false, false},
        {"Ar40/Ar36", "no line: one active point", "1", "1", true, false, false, false},
        {"Ar40/Ar36", "no errors: two active points", "2", "2", true, true, true, false},
        {"Ar40/Ar36", "ok", "3", "3", true, true, true, true},
    };
    TidyMeasurement measurement;
    measurement.records = records;
    const auto rows = csvRows(measurement);
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i].status);
        const auto& row = rows[i];
        EXPECT_EQ(row.at("record"), expected[i].record);
        EXPECT_EQ(row.at("status"), expected[i].status);
        EXPECT_EQ(row.at("points"), expected[i].points);
        EXPECT_EQ(row.at("active_points"), expected[i].active);
        EXPECT_EQ(!row.at("mean").empty(), expected[i].mean);
        EXPECT_EQ(!row.at("stddev").empty(), expected[i].r); // unbiased: from two points on
        EXPECT_EQ(!row.at("r").empty(), expected[i].r);
        EXPECT_EQ(!row.at("slope").empty(), expected[i].line);
        EXPECT_EQ(!row.at("slope_error").empty(), expected[i].errors);
    }
    // Through two points the line is exact: 2 + 1.5 (t - 1).
    expectClose(rows[3].at("intercept"), 0.5);
    expectClose(rows[3].at("slope"), 1.5);
    // One point has a plain deviation of 0.
    measurement.calcFlags = CalcFlag::UseStdDev;
    EXPECT_EQ(csvRows(measurement).at(2).at("stddev"), "0");
}

// Sample, ID and date come from either form of data note; code page 932 texts become UTF-8;
// fields with commas, quotes and line breaks are quoted.
TEST(TidyTable, NoteTextsAndQuotedFields) {
    DataNote pks;
    pks.form = DataNoteForm::Pks;
    pks.tags = {{"Comments:", "x"},
                {"Sample:", "\x91\xe5\x8b\x43, \"air\""}, // 大気, "air"
                {"ID:", "AR-1\r\nline 2"},
                {"Date:", "2026/11/24"},
                {"ID:", "second"}};
    DataNote dat;
    dat.form = DataNoteForm::Dat;
    dat.name = "blank";
    dat.date = "1999/01/02";
    dat.spikeId = 7;
    const std::vector<RegressionResult> records{test::regressedRecord({{1, 2}, {2, 3}, {3, 5}})};
    const struct {
        const DataNote* note;
        const char* sample;
        const char* id;
        const char* date;
    } cases[] = {
        {&pks, "大気, \"air\"", "AR-1\r\nline 2", "2026/11/24"},
        {&dat, "blank", "", "1999/01/02"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sample);
        TidyMeasurement measurement;
        measurement.file = "a,\"b\".pks";
        measurement.note = c.note;
        measurement.records = records;
        const auto row = csvRows(measurement).at(0);
        EXPECT_EQ(row.at("file"), "a,\"b\".pks");
        EXPECT_EQ(row.at("sample"), c.sample);
        EXPECT_EQ(row.at("id"), c.id);
        EXPECT_EQ(row.at("date"), c.date);
    }
}

TEST(TidyTable, FailedMeasurementIsOneRowThatSaysWhy) {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.tags = {{"Sample:", "S1"}};
    TidyMeasurement measurement;
    measurement.file = "bad.pks";
    measurement.format = FileKind::Pks;
    measurement.note = &note;
    measurement.failure = "回帰計算に失敗しました。";
    const auto rows = csvRows(measurement);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("status"), "failed: 回帰計算に失敗しました。");
    EXPECT_EQ(rows[0].at("sample"), "S1");
    EXPECT_EQ(rows[0].at("points"), "");
    const std::vector<std::string> json = TidyTableRows(measurement, TidyTableFormat::Json);
    ASSERT_EQ(json.size(), 1u);
    EXPECT_NE(json[0].find("\"points\": null"), std::string::npos) << json[0];
}

TEST(TidyTable, NumbersReadBackAsTheSameDouble) {
    const double values[] = {0.1,
                             1.0 / 3.0,
                             295.5,
                             -2.5e-7,
                             1e21,
                             123456789012345678.0,
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::max(),
                             std::nextafter(1.0, 2.0),
                             1.0 - 0.997};
    for (const double value : values) {
        const std::string text = ShortestNumber(value);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(numberIn(text)), std::bit_cast<std::uint64_t>(value))
            << text;
        EXPECT_EQ(text.find(','), std::string::npos); // a dot decimal, whatever the locale
    }
    EXPECT_EQ(ShortestNumber(3.0), "3");
    EXPECT_EQ(ShortestNumber(-0.0), "-0");
    EXPECT_EQ(ShortestNumber(std::nan("")), "NaN");
    EXPECT_EQ(ShortestNumber(-HUGE_VAL), "-Inf");
}

// A number without digits is null in JSON and NaN in CSV; texts are escaped as JSON needs, and
// bytes of a file name that are no UTF-8 become U+FFFD.
TEST(TidyTable, JsonEscapesAndNonFiniteNumbers) {
    RegressionResult record = test::regressedRecord({{1, 2}, {2, 3}, {3, 5}});
    record.r = std::nan("");
    const std::vector<RegressionResult> records{record};
    TidyMeasurement measurement;
    measurement.file = "q\"\\\x01\tname\xff.pks";
    measurement.records = records;
    const std::vector<std::string> json = TidyTableRows(measurement, TidyTableFormat::Json);
    ASSERT_EQ(json.size(), 1u);
    EXPECT_TRUE(json[0].starts_with("{\"file\": \"q\\\"\\\\\\u0001\\tname\xEF\xBF\xBD.pks\", "))
        << json[0];
    EXPECT_NE(json[0].find("\"r\": null"), std::string::npos);
    EXPECT_NE(json[0].find("\"points\": 3,"), std::string::npos);
    EXPECT_NE(json[0].find("\"status\": \"ok\"}"), std::string::npos);
    EXPECT_EQ(csvRows(measurement).at(0).at("r"), "NaN");

    TidyTableText table(TidyTableFormat::Json);
    table.append(json);
    table.append({});
    table.append(json);
    EXPECT_EQ(table.finish(), "[\n" + json[0] + ",\n" + json[0] + "\n]\n");
}

} // namespace
} // namespace tarnova
