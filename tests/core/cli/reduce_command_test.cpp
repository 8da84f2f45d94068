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

    // Times 2, 4, 6 and values 3, 3.3, 3.15: mean 3.15, unbiased sigma 0.15, line 3 + 0.0375 t;
    // the INI's 95 % limits and test level are what the record prints.
    const std::vector<std::string> fields = split(lines[6], "\t");
    ASSERT_EQ(fields.size(), 17u) << lines[6];
    EXPECT_EQ(fields[0], "N/D");
    expectNumber(fields[2], 3.15);
    expectNumber(fields[3], 0.15);
    EXPECT_EQ(fields[4], "9.500000E-01");
    expectNumber(fields[11], 0.0375);
    EXPECT_EQ(fields[14], "3.000000E-03");
    EXPECT_EQ(fields[16], "111");
}

// --correction names a set the INI offers, with items counted; anything else is a usage error
// naming the set.
TEST_F(ReduceCommand, CorrectionSetsMustBeNamedByTheIni) {
    const std::string sets = "[general]\r\ninterferance=2\r\n[interferance]\r\nAtm=1\r\n"
                             "Empty=0\r\n[Atm]\r\nitem1=N,D,1\r\n";
    const struct {
        const char* ini;
        const char* set;
        int exitCode;
    } cases[] = {
        {"[general]\r\ninterferance=1\r\n", "Atm", 2}, // counted, but named nowhere
        {"", "Atm", 2},                                // no sets at all
        {sets.c_str(), "Kr", 2},
        {sets.c_str(), "Empty", 2},
        {sets.c_str(), "Atm", 0},
        {sets.c_str(), "ATM", 0}, // set names are read without regard to case
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ini) + c.set);
        folder.write("TARNOVA.INI", c.ini);
        const CliRun run = reduce("run.pks " + ini() +
                                  " --numerator N --denominator D "
                                  "--correction " +
                                  c.set);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.exitCode == 2) {
            EXPECT_NE(run.err.find(std::string("--correction ") + c.set), std::string::npos);
            EXPECT_TRUE(run.out.empty());
        }
    }
    // N - 1 x D between the D peaks: every ratio is one less than uncorrected.
    const std::vector<std::string> fields =
        split(split(reduce("run.pks " + ini() +
                           " --numerator N --denominator D --correction Atm --output-flags none")
                        .out,
                    "\r\n")
                  .at(1),
              "\t");
    expectNumber(fields.at(2), 2.15);
}

// Conflicting, repeated and missing choices and bad test levels are usage errors that name the
// option; "+95" is a test level like 95.
TEST_F(ReduceCommand, UsageErrorsNameTheOption) {
    const std::string choice = " --numerator N --denominator D";
    const struct {
        std::string arguments;
        const char* named;
    } cases[] = {
        {"run.pks --conf95 --conf68" + choice, "--conf68 conflicts with --conf95"},
        {"run.pks --unbiased --stddev" + choice, "--stddev conflicts with --unbiased"},
        {"run.pks --conf95 --conf95" + choice, "--conf95 is given twice"},
        {"run.pks --output a --output b" + choice, "--output is given twice"},
        {"run.pks --correction A --correction B" + choice, "--correction is given twice"},
        {"run.pks --test-level 95 --test-level 99" + choice, "--test-level is given twice"},
        {"run.pks --ini x --ini y" + choice, "--ini is given twice"},
        {"run.pks --test-level 150" + choice, "--test-level 150"},
        {"run.pks --test-level -5" + choice, "--test-level -5"},
        {"run.pks --test-level nan" + choice, "--test-level nan"},
        {"run.pks --test-level ++5" + choice, "--test-level ++5"},
        {"run.pks", "nothing to calculate"},
        {"run.pks --numerator N", "nothing to calculate"},
        {"run.pks --denominator D", "nothing to calculate"},
        {"run.pks --conf" + choice, "unknown option --conf"},
    };
    for (const auto& c : cases) {
        const CliRun run = reduce(c.arguments + " " + ini());
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << c.arguments << ": " << run.err;
    }
    const CliRun plus = reduce("run.pks " + ini() + choice + " --test-level +95");
    EXPECT_EQ(plus.exitCode, 0) << plus.err;
    EXPECT_EQ(plus.out, reduce("run.pks " + ini() + choice + " --test-level 95").out);
    EXPECT_EQ(reduce("run.pks " + ini() + " --abundance N --test-level 0").exitCode, 0);
    EXPECT_EQ(reduce("run.pks " + ini() + " --all-abundances --test-level 100").exitCode, 0);
}

TEST_F(ReduceCommand, WriteFailuresNameThePathAndTheReason) {
    const CliRun full = reduce("run.pks " + ini() + " --abundance N --output /dev/full");
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "Tarnova: /dev/fullに書き込めませんでした(No space left on device)。\n");
    const CliRun missing = reduce("run.pks " + ini() + " --abundance N --output none/x.ird");
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "Tarnova: none/x.irdに書き込めませんでした(No such file or directory)。\n");
}

// The Height format of the INI changes what the sheet shows, not the IRD.
TEST_F(ReduceCommand, HeightFormatsLeaveTheIrdAsItIs) {
    std::string first;
    for (const char* height : {"6.1", "6.3", "12.9"}) {
        SCOPED_TRACE(height);
        folder.write("TARNOVA.INI", std::string("[peakeditor]\r\nheight=") + height + "\r\n");
        const CliRun run = reduce("'" + test::samplePath("argon_air.pks") + "' " + ini() +
                                  " --all-numerators --denominator Ar36 --all-abundances");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        if (first.empty()) {
            first = run.out;
        }
        EXPECT_EQ(run.out, first);
    }
}

TEST_F(ReduceCommand, Failures) {
    const struct {
        const char* arguments;
        int exitCode;
        const char* named;
    } cases[] = {
        {"run.pks --numerator Kr84 --denominator D", 2, "Kr84"},
        {"run.pks --numerator D --denominator D", 1, "回帰計算に失敗しました。"},
        {"missing.pks --abundance D", 1, "missing.pks"},
        {"run.pks --abundance D --output-flags header,extra", 2, "--output-flags"},
    };
    for (const auto& c : cases) {
        const CliRun run = reduce(std::string(c.arguments) + " " + ini());
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << c.arguments << ": " << run.err;
    }
}

} // namespace
} // namespace tarnova
