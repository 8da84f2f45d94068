// tarnova-cli settings, run as a process: what start-up reads, printed and saved.
#include "settings/settings.h"

#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace tarnova {
namespace {

class SettingsCommand : public ::testing::Test {
  protected:
    void write(const std::string& text) const { folder_.write("TARNOVA.INI", text); }
    // The output lines of "tarnova-cli settings --ini TARNOVA.INI".
    std::vector<std::string> runSettingsCommand() const {
        std::istringstream stream(test::runCli(folder_, "settings --ini TARNOVA.INI").out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    test::TempFolder folder_;
};

// The command-line tool prints what start-up reads.
TEST_F(SettingsCommand, PrintsEveryKeyInTableOrder) {
    write("[general]\ndatadir=/d\naddeof=yes\n[peakeditor]\ntime=9.1\n[regression]\n"
          "chklevel=95\n");
    std::vector<std::string> printed = runSettingsCommand();
    ASSERT_EQ(printed.size(), settingKeys().size());
    EXPECT_EQ(printed[0], "general.datadir=/d");
    EXPECT_EQ(printed[1], "general.addeof=true");
    EXPECT_EQ(printed[6], "peakeditor.num=4");
    EXPECT_EQ(printed[8], "peakeditor.time=9.1");
    EXPECT_EQ(printed[18], "regression.chklevel=95.000000");
    EXPECT_EQ(printed[30], "result.avglimit=false");
    EXPECT_EQ(printed.back(), "report.reconfirm=true");

    // An empty data path is the folder of the executable.
    write("[general]\ndatadir=\n");
    const std::string folder = std::filesystem::path(TARNOVA_CLI_PATH).parent_path().string() + "/";
    EXPECT_EQ(runSettingsCommand().at(0), "general.datadir=" + folder);
    // The file read is named on standard error.
    EXPECT_EQ(test::runCli(folder_, "settings --ini TARNOVA.INI").err,
              "tarnova-cli settings: read from TARNOVA.INI\n");

    EXPECT_EQ(test::runCli(folder_, "settings --bogus").exitCode, 2);
}

// A method other than the line is named after the keys, and saved with them.
TEST_F(SettingsCommand, NamesAMethodOtherThanTheLineAfterTheKeys) {
    write("[regression]\r\nmethod=exponential\r\n");
    std::vector<std::string> printed = runSettingsCommand();
    ASSERT_EQ(printed.size(), settingKeys().size() + 1);
    EXPECT_EQ(printed.back(), "regression.method=exponential");
    EXPECT_EQ(test::runCli(folder_, "settings --ini TARNOVA.INI --save COPY.INI").exitCode, 0);
    EXPECT_NE(folder_.read("COPY.INI").find("[regression]\r\nconf95="), std::string::npos);
    EXPECT_NE(folder_.read("COPY.INI").find("method=exponential\r\n"), std::string::npos);
}

// A filter that is on is named after the keys.
TEST_F(SettingsCommand, NamesAFilterThatIsOn) {
    write("[regression]\r\nfilter=sigma:3:2\r\n");
    const std::vector<std::string> printed = runSettingsCommand();
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), "regression.filter=sigma:3:2");
}

// A save that fails names the path and the reason; devices are refused.
TEST_F(SettingsCommand, FailedSavesAreReportedWithThePathAndTheReason) {
    folder_.write("file", "");
    const test::CliRun run = test::runCli(folder_, "settings --save file/x.ini");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("file/x.ini"), std::string::npos);
    EXPECT_NE(run.err.find("Not a directory"), std::string::npos);
    for (const char* arguments : {"settings --save /dev/full", "settings --ini /dev/zero"}) {
        const test::CliRun refused = test::runCli(folder_, arguments);
        EXPECT_EQ(refused.exitCode, 1) << arguments;
        EXPECT_NE(refused.err.find("not a regular file"), std::string::npos) << arguments;
    }
    EXPECT_EQ(test::runCli(folder_, "settings --save saved.ini").exitCode, 0);
    EXPECT_NE(folder_.read("saved.ini").find("chklevel=99.700000"), std::string::npos);
}

} // namespace
} // namespace tarnova
