// tarnova-cli exclusions: the peaks a calculation leaves out, as the result windows list them.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnova {
namespace {

// N and D in turn, with one X peak at 3.5 s. The correction of N by X disables the N peak
// measured before the only X peak (at 2 s); the ratio then leaves it out, the abundance holds it
// as a disabled point.
void writeCorrectedRun(const test::TempFolder& folder) {
    folder.write("run.pks", "\"NAME\",\"Test 1\"\r\n"
                            "  100,   1.00000000E+000, \"D\"\r\n"
                            "  200,   3.00000000E+000, \"N\"\r\n"
                            "  300,   1.00000000E+000, \"D\"\r\n"
                            "  350,   2.00000000E-001, \"X\"\r\n"
                            "  400,   3.30000000E+000, \"N\"\r\n"
                            "  500,   1.00000000E+000, \"D\"\r\n"
                            "  600,   3.15000000E+000, \"N\"\r\n"
                            "  700,   1.00000000E+000, \"D\"\r\n");
    folder.write("TARNOVA.INI", "[general]\r\ninterferance=1\r\n[interferance]\r\nAtm=1\r\n"
                                "[Atm]\r\nitem1=N,X,0.1\r\n");
}

TEST(ExclusionsCommand, ListsTheExcludedPeaksOfTheCalculation) {
    test::TempFolder folder;
    writeCorrectedRun(folder);
    const std::string heads = "Test 1\r\n#Label\tTime\tReason\tRecords\r\n";
    const struct {
        std::string options;
        int exitCode;
        std::string out;
    } cases[] = {
        {"--abundance N --numerator N --denominator D --correction Atm", 0,
         heads + "N\t2\tcorrection\tN, N/D\r\n"},
        {"--numerator N --denominator D --correction Atm", 0, heads + "N\t2\tcorrection\tN/D\r\n"},
        {"--abundance N --numerator N --denominator D", 0, heads},
        {"--numerator N", 2, ""},
        {"--abundance N --output x", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const test::CliRun run =
            test::runCli(folder, "exclusions run.pks --ini TARNOVA.INI " + c.options);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

} // namespace
} // namespace tarnova
