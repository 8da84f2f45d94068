// The IRD text of a result table.
#include "calc/calc_state.h"
#include "calc/ird_export.h"
#include "core/support/test_peaks.h"
#include "core/support/text_parts.h"
#include "platform/codepage.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

RegressionResult fittedRecord() {
    RegressionResult record;
    record.sheetName = "Ar40/Ar36";
    record.numerator = "Ar40";
    record.denominator = "Ar36";
    record.mean = 295.5;
    record.stdDev = 0.5;
    record.stdDevUnbiased = 0.75;
    record.tLimit = 2.0;
    record.r = -0.125;
    record.tOfR = 3.0;
    record.tCritical = 2.0;
    record.checkLevel = 0.997;
    LineFit fit;
    fit.intercept = 296.0;
    fit.interceptError = 0.5;
    fit.interceptErrorPlain = 0.25;
    fit.slope = -0.001;
    fit.slopeError = 0.0005;
    fit.slopeErrorPlain = 0.00025;
    fit.tLine = 3.0;
    fit.checkLevel = 0.997;
    fit.fValue = 1.0;
    fit.fCritical = 5.0;
    record.fit = fit;
    std::vector<DataPoint> points(5);
    points[1].flags = PointFlag::Disabled;
    record.pointCount = 5;
    record.points = points;
    return record;
}

RegressionResult failedRecord() {
    RegressionResult record;
    record.numerator = "Kr84";
    record.pointCount = kPointsNone;
    return record;
}

DataNote pksNote() {
    DataNote note;
    note.path = "/data/run 7.PKS";
    note.form = DataNoteForm::Pks;
    note.tags = {{"NAME", "Sample 7"}, {"Operator:", "K."}};
    return note;
}

TEST(IrdExport, FullHeaderHeadsAndRecords) {
    const std::vector<RegressionResult> records{fittedRecord(), failedRecord()};
    const DataNote note = pksNote();
    const auto text = WriteIrd(records, &note, CalcFlag::Conf95 | CalcFlag::Confirmed,
                               OutputFlag::Header | OutputFlag::Comment | OutputFlag::GuideComment);
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "SOURCE\t/data/run 7.PKS\r\n"
              "NAME\tSample 7\r\n"
              "Operator:\tK.\r\n"
              "RECORDS\t2\r\n"
              "REGTYPE\t\x88\xea\x8e\x9f\x89\xf1\x8b\x41\r\n"
              "\r\n"
              "#record name\trecord type(R or A)\taverage\tstddev\tconflevel\tconflimit\tr\t"
              "testlevel\ttest\tintercept\terror\tangle\terror\tconf. level\ttest level\ttest"
              // The point disabled by hand adds two heads and two numbers to every line.
              "\t\texcluded by hand\texcluded by filter\r\n"
              "Ar40/Ar36\tR\t2.955000E+02\t7.500000E-01\t9.500000E-01\t1.500000E+00\t"
              "-1.250000E-01\t3.000000E-03\tr!=0\t"
              "2.960000E+02\t1.500000E+00\t-1.000000E-03\t1.500000E-03\t9.500000E-01\t"
              "3.000000E-03\ta=0\t10111\t1\t0\r\n"
              "\tA\t0.000000E+00\t0.000000E+00\t9.500000E-01\t0.000000E+00\t0.000000E+00\t"
              "1.000000E+00\tr=0\t\t\t0\t0\r\n");
}

TEST(IrdExport, StandardDeviationColumns) {
    const std::vector<RegressionResult> records{fittedRecord()};
    const auto both = WriteIrd(records, nullptr, CalcFlag::Conf95 | CalcFlag::UseStdDev, {});
    EXPECT_EQ(*both, "\r\nAr40/Ar36\tR\t2.955000E+02\t5.000000E-01\t9.500000E-01\t"
                     "1.000000E+00\t-1.250000E-01\t3.000000E-03\tr!=0\t2.960000E+02\t"
                     "5.000000E-01\t-1.000000E-03\t5.000000E-04\t9.500000E-01\t"
                     "3.000000E-03\ta=0\t10111\t1\t0\r\n");
    const auto narrow = WriteIrd(records, nullptr, CalcFlag::UseStdDev, {});
    EXPECT_NE(narrow->find("\t5.000000E-01\t6.800000E-01\t5.000000E-01\t"), std::string::npos);
    const auto unbiased = WriteIrd(records, nullptr, {}, {});
    EXPECT_NE(unbiased->find("\t7.500000E-01\t6.800000E-01\t1.500000E+00\t"), std::string::npos);
}

TEST(IrdExport, PointsExcludedByHandAndByTheFilterAreCounted) {
    RegressionResult line = fittedRecord();
    (*line.points)[1].flags = {};
    // A table without excluded points keeps its layout.
    const std::vector<RegressionResult> plain{line};
    const std::string heads = "#record name\trecord type(R or A)\taverage\tstddev\tconflevel\t"
                              "conflimit\tr\ttestlevel\ttest\tintercept\terror\tangle\terror\t"
                              "conf. level\ttest level\ttest";
    EXPECT_TRUE(WriteIrd(plain, nullptr, {}, OutputFlag::GuideComment)
                    ->starts_with("\r\n" + heads + "\r\n"));

    RegressionResult mean = fittedRecord();
    mean.sheetName = "Ar40";
    mean.denominator.clear();
    mean.fitMethod = 3;
    mean.fit->method = 3;
    (*mean.points)[1].flags = PointFlag::Disabled | PointFlag::ExcludedByFilter;
    (*mean.points)[2].flags = PointFlag::Disabled | PointFlag::ExcludedByCorrection;
    // The ratio's numerator peak at 15 s is disabled between two enabled denominator peaks.
    const std::vector<PeakRecord> peaks = {test::makePeak("Ar36", 10, 1),
                                           test::makePeak("Ar40", 15, 300, 1, PeakFlag::Disabled),
                                           test::makePeak("Ar36", 20, 1)};
    const std::vector<RegressionResult> records{line, mean};
    const std::vector<std::string> lines =
        test::split(*WriteIrd(records, nullptr, {}, OutputFlag::GuideComment, peaks), "\r\n");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(
        lines[1].ends_with("\tintercept\terror\t\tmethod\texcluded by hand\texcluded by filter"))
        << lines[1];
    EXPECT_TRUE(lines[2].ends_with("\t11111\t" + utf8ToCp932("一次回帰") + "\t1\t0")) << lines[2];
    EXPECT_TRUE(lines[3].ends_with("\t10011\t" + utf8ToCp932("平均") + "\t0\t1")) << lines[3];
}

TEST(IrdExport, HeaderVariants) {
    const std::vector<RegressionResult> records{failedRecord()};
    DataNote dat;
    dat.path = "/d/A.DAT";
    dat.name = "S1";
    dat.date = "2024/01/02";
    dat.comment = "blank";
    dat.spikeId = 3;
    dat.spikeVolume = 0.125;
    dat.spikeError = 1.5e-7;
    dat.weight = 12.5;
    const std::string regType = "REGTYPE\t\x88\xea\x8e\x9f\x89\xf1\x8b\x41\r\n";
    const std::string failedLine = "\tA\t0.000000E+00\t0.000000E+00\t6.800000E-01\t"
                                   "0.000000E+00\t0.000000E+00\t1.000000E+00\tr=0\t\t\r\n";
    EXPECT_EQ(*WriteIrd(records, &dat, {}, OutputFlag::Header | OutputFlag::Comment),
              "SOURCE\t/d/A.DAT\r\nDATANAME\tS1\r\nDATE\t2024/01/02\r\nCOMMENT\tblank\r\n"
              "SPIKEID\t3\r\nSPIKEVOLUME\t0.125\t1.5E-07\r\nSAMPLEWEIGHT\t12.5\r\n"
              "RECORDS\t1\r\n" +
                  regType + "\r\n" + failedLine);
    EXPECT_EQ(*WriteIrd(records, &dat, {}, OutputFlag::Header),
              "SOURCE\t/d/A.DAT\r\nRECORDS\t1\r\n" + regType + "\r\n" + failedLine);
    // Without a data note the first line still marks the text as IRD.
    EXPECT_EQ(*WriteIrd(records, nullptr, {}, OutputFlag::Header | OutputFlag::Comment),
              "SOURCE\t\r\nRECORDS\t1\r\n" + regType + "\r\n" + failedLine);
    EXPECT_EQ(*WriteIrd(records, nullptr, {}, {}), "\r\n" + failedLine);
}

TEST(IrdExport, ExactTiesRoundAwayFromZero) {
    // The C library would write 1.234568E+06 and 1234.12: it rounds a tie to even.
    EXPECT_EQ(IrdNumber(1234568.5), "1.234569E+06");
    EXPECT_EQ(IrdNumber(-0.00048828125), "-4.882813E-04");
    EXPECT_EQ(IrdNumber(2.5e-300), "2.500000E-300");
    RegressionResult record = failedRecord();
    record.mean = 1234568.5;
    DataNote dat;
    dat.weight = 1234.125;
    dat.spikeVolume = 100000.5;
    dat.spikeError = 1.5e-7;
    const auto text = WriteIrd(std::vector<RegressionResult>{record}, &dat, {},
                               OutputFlag::Header | OutputFlag::Comment);
    EXPECT_NE(text->find("SPIKEVOLUME\t100001\t1.5E-07\r\nSAMPLEWEIGHT\t1234.13\r\n"),
              std::string::npos);
    EXPECT_NE(text->find("\tA\t1.234569E+06\t"), std::string::npos);
}

TEST(IrdExport, LongRecordLinesAreKeptWhole) {
    RegressionResult record = fittedRecord();
    record.points = std::vector<DataPoint>(5000);
    const auto text = WriteIrd(std::vector<RegressionResult>{record}, nullptr, {}, {});
    EXPECT_TRUE(text->ends_with("a=0\t" + std::string(5000, '1') + "\r\n"));
}

} // namespace
} // namespace tarnova
