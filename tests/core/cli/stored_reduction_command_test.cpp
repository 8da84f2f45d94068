// Exclusions, methods and filter stored with a measurement: tarnova-cli exclude, info, convert
// and reduce --exclude / --ignore-stored, and the same IRD from the program's own path of load,
// calculation, click, save and reload as from tarnova-cli.
#include "calc/calculation_driver.h"
#include "calc/ird_export.h"
#include "calc/reduction_keeping.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/cli_run.h"
#include "core/support/sheet_session.h"
#include "document/grid_settings.h"
#include "document/save_peak_file.h"
#include "platform/codepage.h"
#include "results/point_editing.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

using test::CliRun;
using test::split;

// 40/36 about 3 with a gross outlier at 9, and an abundance of 40; times 1 to 13 seconds.
constexpr const char* kRun = "\"NAME\",\"Test 2\"\r\n"
                             "  100,   1.00000000E+000, \"36\"\r\n"
                             "  150,   3.00000000E+000, \"40\"\r\n"
                             "  300,   1.00000000E+000, \"36\"\r\n"
                             "  350,   3.10000000E+000, \"40\"\r\n"
                             "  500,   1.00000000E+000, \"36\"\r\n"
                             "  550,   9.00000000E+000, \"40\"\r\n"
                             "  700,   1.00000000E+000, \"36\"\r\n"
                             "  750,   3.20000000E+000, \"40\"\r\n"
                             "  900,   1.00000000E+000, \"36\"\r\n"
                             "  950,   3.25000000E+000, \"40\"\r\n"
                             " 1100,   1.00000000E+000, \"36\"\r\n"
                             " 1150,   3.40000000E+000, \"40\"\r\n"
                             " 1300,   1.00000000E+000, \"36\"\r\n";

class StoredReductionCommands : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override {
        folder.write("run.pks", kRun);
        folder.write("TARNOVA.INI", "[regression]\r\nconf95=true\r\n[output]\r\nfileoutput="
                                    "header,comment,guidecomment\r\n");
    }
    std::string ini() const { return " --ini '" + folder.path("TARNOVA.INI") + "'"; }
    CliRun cli(const std::string& arguments) { return test::runCli(folder, arguments + ini()); }
    CliRun reduce(const std::string& extra = "") {
        return cli("reduce run.pks --numerator 40 --denominator 36 --abundance 40" + extra);
    }
    // The record line of name in an IRD text.
    static std::string recordLine(const std::string& ird, const std::string& name) {
        for (const std::string& line : split(ird, "\r\n")) {
            if (line.starts_with(name + "\t")) {
                return line;
            }
        }
        return "";
    }
};

TEST_F(StoredReductionCommands, ExcludeStoresEntriesThatReduceInfoAndConvertUse) {
    const CliRun plain = reduce();
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.out.find("excluded by hand"), std::string::npos);

    CliRun run = cli("exclude run.pks 40@5.5");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // The user's comment, then the entry; the peaks as before.
    const std::string saved = folder.read("run.pks");
    EXPECT_TRUE(saved.starts_with("\"NAME\",\"Test 2\"\r\n\"#tarnova:excluded\",\"40@5.5 hand\"\r\n"
                                  "  100,"))
        << saved;

    run = cli("info run.pks");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("excluded\t40@5.5\thand\n"), std::string::npos) << run.out;

    const CliRun excluded = reduce();
    ASSERT_EQ(excluded.exitCode, 0) << excluded.err;
    // The ratio leaves the peak out, the abundance keeps it as a disabled point; both count it.
    EXPECT_TRUE(recordLine(excluded.out, "40/36").ends_with("\t11111\t1\t0")) << excluded.out;
    EXPECT_TRUE(recordLine(excluded.out, "40").ends_with("\t110111\t1\t0")) << excluded.out;
    EXPECT_NE(excluded.out.find("\t\texcluded by hand\texcluded by filter\r\n"), std::string::npos);
    // The entry is no comment of the measurement's.
    EXPECT_EQ(excluded.out.find("#tarnova"), std::string::npos);
    EXPECT_EQ(reduce(" --ignore-stored").out, plain.out);
    // The same peak excluded for one run gives the same results.
    folder.write("plain.pks", kRun);
    const CliRun once =
        cli("reduce plain.pks --numerator 40 --denominator 36 --abundance 40 --exclude 40@5.5");
    ASSERT_EQ(once.exitCode, 0) << once.err;
    EXPECT_EQ(recordLine(once.out, "40/36"), recordLine(excluded.out, "40/36"));

    // PKS keeps the entries; DAT refuses to drop them unless told to.
    ASSERT_EQ(cli("convert run.pks copy.pks --to pks").exitCode, 0);
    EXPECT_EQ(folder.read("copy.pks"), saved);
    run = cli("convert run.pks copy.dat --to dat");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("DAT形式には保存されません"), std::string::npos) << run.err;
    ASSERT_EQ(cli("convert run.pks copy.dat --to dat --leave-out").exitCode, 0);

    ASSERT_EQ(cli("exclude run.pks --clear").exitCode, 0);
    EXPECT_EQ(folder.read("run.pks"), kRun);
}

TEST_F(StoredReductionCommands, ExclusionsThatNameNoPeakAreRefused) {
    const struct {
        const char* arguments;
        int exitCode;
    } cases[] = {
        {"exclude run.pks 40@5.6", 1},
        {"exclude run.pks 41@5.5", 1},
        {"exclude run.pks 40@5.555", 2},
        {"exclude run.pks 40.5.5", 2},
        {"exclude run.pks", 2},
        {"reduce run.pks --numerator 40 --denominator 36 --exclude 40@5.6", 2},
        {"reduce run.pks --numerator 40 --denominator 36 --exclude 40", 2},
    };
    for (const auto& c : cases) {
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
        EXPECT_EQ(folder.read("run.pks"), kRun) << c.arguments;
    }
    ASSERT_EQ(cli("convert run.pks run.dat --to dat").exitCode, 0);
    const CliRun dat = cli("exclude run.dat 40@5.5");
    EXPECT_EQ(dat.exitCode, 1);
    EXPECT_NE(dat.err.find("PKS"), std::string::npos) << dat.err;
}

TEST_F(StoredReductionCommands, TheStoredEntryThatNamesNoPeakIsNamedAndNeverMoved) {
    ASSERT_EQ(cli("exclude run.pks 40@5.5").exitCode, 0);
    // The peak's time is edited by hand: the entry no longer names a peak.
    std::string edited = folder.read("run.pks");
    edited.replace(edited.find("  550,"), 6, "  551,");
    folder.write("run.pks", edited);
    const CliRun run = reduce();
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("#tarnova:excluded 40@5.5 hand"), std::string::npos) << run.err;
    EXPECT_TRUE(recordLine(run.out, "40/36").ends_with("\t111111")) << run.out;
}

// The program's path: load, calculate, click, choose a method, save; then load again and
// calculate as the program does, and as tarnova-cli does: the same IRD.
TEST_F(StoredReductionCommands, TheWindowAndTheCommandLineReduceASavedMeasurementAlike) {
    const std::string iniPath = folder.path("TARNOVA.INI");
    const auto calculate = [&](test::SheetSession& session, CalcState& state) {
        LoadSettings(session.settings, session.grid, iniPath);
        test::ScriptedCalculationPort port;
        port.presses.push_back([](CalculationSettingsForm& form) {
            form.numerators = {false, true};
            form.denominators = {true, false};
            form.abundances = {false, true};
        });
        const CalculationEnvironment environment{session.ui,
                                                 port,
                                                 session.settings.generalFlags,
                                                 session.settings.testLevel,
                                                 iniPath,
                                                 session.settings.regressionMethod};
        return RunNewCalculation(state, session.grid, environment);
    };
    // The session's folder is the test's: it starts empty.
    test::SheetSession session;
    SetUp();
    const std::string path = folder.path("run.pks");
    std::string before;
    {
        ASSERT_TRUE(session.load(path).loaded);
        CalcState state;
        ASSERT_EQ(calculate(session, state), 1);
        // Sheet 0 is the abundance 40, sheet 1 the ratio 40/36; the outlier is the third point.
        ASSERT_TRUE(ClickDataPoint((*state.results)[0], 2, PointButton::Left));
        ASSERT_TRUE(SetSheetMethod(state, 1, 1));
        const std::optional<DataNote>& note = currentDataNote();
        ASSERT_TRUE(SavePeakFile(session.ui, session.files, session.grid, session.settings,
                                 note->path, ReductionToStore(state, &*note, {})));
        before = *WriteIrd(*state.results, &*note, state.calcFlags,
                           session.settings.fileOutputFlags, state.peaks);
    }
    std::string window;
    {
        session.ui.messages.clear();
        ASSERT_TRUE(session.load(path).loaded);
        CalcState state;
        ASSERT_EQ(calculate(session, state), 1);
        EXPECT_EQ((*state.results)[1].fitMethod, 1u);
        window = *WriteIrd(*state.results, &*currentDataNote(), state.calcFlags,
                           session.settings.fileOutputFlags, state.peaks);
        EXPECT_TRUE(session.ui.messages.empty());
    }
    const CliRun cli = reduce();
    ASSERT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(cli.out, window);
    // The abundance is the one the click left; the ratio has lost the point it never had.
    EXPECT_EQ(recordLine(window, "40"), recordLine(before, "40"));
    EXPECT_NE(window.find("\t" + utf8ToCp932("二次回帰") + "\t1\t0\r\n"), std::string::npos)
        << window;
}

} // namespace
} // namespace tarnova
