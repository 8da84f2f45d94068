// tarnova-cli reduce, run as a process on measurement files written by the test.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::CliRun;
using test::split;

class ReduceCommand : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override { test::writeRatioRun(folder); }

    CliRun reduce(const std::string& arguments) {
        return test::runCli(folder, "reduce " + arguments);
    }
    std::string ini() const { return "--ini '" + folder.path("TARNOVA.INI") + "'"; }
};

void expectNumber(const std::string& field, double expected) {
    const double value = std::strtod(field.c_str(), nullptr);
    EXPECT_NEAR(value, expected, std::fabs(expected) * 1e-6 + 1e-12) << field;
}

TEST_F(ReduceCommand, RatioWithTheIniOptions) {
    const CliRun run = reduce("run.pks " + ini() + " --numerator N --denominator D");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = split(run.out, "\r\n");
    ASSERT_EQ(lines.size(), 8u) << run.out;
    EXPECT_EQ(lines[0], "SOURCE\t" + folder.path("run.pks"));
    EXPECT_EQ(lines[1], "NAME\tTest 1");
    EXPECT_EQ(lines[2], "RECORDS\t1");
    EXPECT_EQ(lines[3], "REGTYPE\t\x88\xea\x8e\x9f\x89\xf1\x8b\x41");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5].substr(0, 13), "#record name\t");
    EXPECT_EQ(lines[7], "");

    // Times 2, 4, 6 and values 3, 3.3, 3.15: mean 3.15, unbiased sigma 0.15, r 0.5, line
    // 3 + 0.0375 t, residual sum 0.03375; t(0.025, 2) = 4.3026527, t(0.025, 1) = 12.7062047.
    const std::vector<std::string> fields = split(lines[6], "\t");
    ASSERT_EQ(fields.size(), 17u) << lines[6];
    EXPECT_EQ(fields[0], "N/D");
    EXPECT_EQ(fields[1], "R");
    expectNumber(fields[2], 3.15);
    expectNumber(fields[3], 0.15);
    EXPECT_EQ(fields[4], "9.500000E-01");
    expectNumber(fields[5], 0.6453979094866912);
    expectNumber(fields[6], 0.5);
    EXPECT_EQ(fields[7], "3.000000E-03");
    EXPECT_EQ(fields[8], "r=0");
    expectNumber(fields[9], 3.0);
    expectNumber(fields[10], 3.5656698606727593);
    expectNumber(fields[11], 0.0375);
    expectNumber(fields[12], 0.8252922065410084);
    EXPECT_EQ(fields[13], "9.500000E-01");
    EXPECT_EQ(fields[14], "3.000000E-03");
    EXPECT_EQ(fields[15], "a=0");
    EXPECT_EQ(fields[16], "111");
}

TEST_F(ReduceCommand, CorrectionWithoutNamedSetsGoesOnUncorrected) {
    // The INI counts a set but names none: the calculation runs without corrections.
    folder.write("TARNOVA.INI", "[general]\r\ninterferance=1\r\n[regression]\r\nconf95=true\r\n");
    const CliRun nameless =
        reduce("run.pks " + ini() + " --numerator N --denominator D --correction Atm");
    ASSERT_EQ(nameless.exitCode, 0) << nameless.err;
    EXPECT_NE(nameless.err.find("Atm is not applied"), std::string::npos);
    const CliRun plain = reduce("run.pks " + ini() + " --numerator N --denominator D");
    EXPECT_EQ(nameless.out, plain.out);
}

TEST_F(ReduceCommand, Failures) {
    const CliRun unknown = reduce("run.pks " + ini() + " --numerator Kr84 --denominator D");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("Kr84"), std::string::npos);

    const CliRun same = reduce("run.pks " + ini() + " --numerator D --denominator D");
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("回帰計算に失敗しました。"), std::string::npos);

    const CliRun missing = reduce("missing.pks " + ini() + " --abundance D");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.empty());

    EXPECT_EQ(reduce("run.pks --conf").exitCode, 2);
    EXPECT_EQ(reduce("run.pks --output-flags header,extra").exitCode, 2);
    EXPECT_EQ(reduce("run.pks --test-level high").exitCode, 2);
    EXPECT_EQ(reduce("").exitCode, 2);
}

} // namespace
} // namespace tarnova
