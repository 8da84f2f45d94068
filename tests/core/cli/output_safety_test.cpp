// What tarnova-cli writes, run as a user runs it: exactly the path named, never an input of the
// same call, no waiting on a pipe nobody reads, failed writes to standard output reported, and
// the settings file shared safely by programs saving at once.
#include "core/support/cli_run.h"
#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace tarnova {
namespace {

using test::CliRun;

constexpr const char* kRatio = "--numerator N --denominator D";

class OutputSafety : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override {
        test::writeRatioRun(folder);
        setenv("CUPS_SERVER", folder.path("no-cups.sock").c_str(), 1);
    }
    void TearDown() override { unsetenv("CUPS_SERVER"); }

    CliRun run(const std::string& arguments) { return test::runCli(folder, arguments); }
    // A shell script run in the folder; its exit code and output.
    CliRun shell(const std::string& script) {
        const std::string command = "cd '" + folder.path("") + "' && { " + script + "; } >'" +
                                    folder.path("stdout") + "' 2>'" + folder.path("stderr") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, folder.read("stdout"),
                folder.read("stderr")};
    }
    // The tool with its standard output sent to path.
    CliRun runInto(const std::string& arguments, const std::string& path) {
        return shell("'" TARNOVA_CLI_PATH "' " + arguments + " >'" + path + "'");
    }
};

// Names that are no UTF-8 (a byte 0xff, code page 932 text) are written as given; a file whose
// name a character conversion would make of them stays as it was.
TEST_F(OutputSafety, OutputsGoToTheBytesOfThePathGiven) {
    const std::string victim = "victim\xef\xbf\xbd.png";
    folder.write(victim, "unrelated");
    const struct {
        const char* command;
        const char* printfName; // printf's escapes of the name
        const char* name;
    } rows[] = {
        {"graph", "victim\\377.png", "victim\xff.png"},
        {"report", "\\203e\\203X\\203g.pdf", "\x83\x65\x83X\x83g.pdf"},
        {"reduce", "\\203e.ird", "\x83\x65.ird"},
    };
    for (const auto& row : rows) {
        if (test::drawsWithoutDrawing(row.command)) {
            continue;
        }
        const std::string extra = std::string(row.command) == "report" ? " --all-abundances" : "";
        const CliRun result =
            run(std::string(row.command) + " run.pks --ini TARNOVA.INI " + kRatio + extra +
                " --output \"$(printf '" + row.printfName + "')\"");
        EXPECT_EQ(result.exitCode, 0) << row.command << ": " << result.err;
        EXPECT_TRUE(folder.exists(row.name)) << row.command;
        EXPECT_GT(std::filesystem::file_size(folder.path(row.name)), 10u) << row.command;
    }
    EXPECT_EQ(folder.read(victim), "unrelated");
}

// A pipe without a reader ends the command at once with the reason.
TEST_F(OutputSafety, APipeNobodyReadsIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(folder.path("out.fifo").c_str(), 0600), 0);
    const std::string ratio = std::string(" run.pks --ini TARNOVA.INI ") + kRatio;
    for (const std::string& arguments :
         {"reduce" + ratio + " --output out.fifo", "graph" + ratio + " --output out.fifo.png",
          "report" + ratio + " --all-abundances --output out.fifo.pdf",
          std::string("convert run.pks out.fifo --to dat --ini TARNOVA.INI")}) {
        if (test::drawsWithoutDrawing(arguments)) {
            continue;
        }
        if (arguments.find("out.fifo.") != std::string::npos) {
            const std::string name = arguments.substr(arguments.find("out.fifo."));
            ::mkfifo(folder.path(name).c_str(), 0600);
        }
        const CliRun result = test::runCli(folder, arguments, "timeout 60 '" TARNOVA_CLI_PATH "'");
        EXPECT_EQ(result.exitCode, 1) << arguments << ": " << result.err;
        // A data file's save names no reason, as in the window.
        if (!arguments.starts_with("convert")) {
            EXPECT_NE(result.err.find("no program reads from the pipe"), std::string::npos)
                << arguments << ": " << result.err;
        }
    }
}

// A report ended by a signal, or run to its end, leaves no file in the temporary folder (Qt's
// own runtime folder aside, which stays empty).
TEST_F(OutputSafety, ReportsLeaveNoTemporaryFile) {
    if (!TARNOVA_CLI_DRAWS) {
        GTEST_SKIP() << "built without the drawing commands";
    }
    std::filesystem::create_directory(folder.path("tmp"));
    const auto temporaryFiles = [&] {
        std::set<std::string> files;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(folder.path("tmp"))) {
            if (!entry.is_directory()) {
                files.insert(entry.path().filename().string());
            }
        }
        return files;
    };
    const std::string report =
        std::string("TMPDIR=tmp '" TARNOVA_CLI_PATH "' report run.pks --ini TARNOVA.INI ") +
        kRatio + " --all-abundances --output r.pdf";
    for (const char* delay : {"0.1", "0.2", "0.3", "0.5"}) {
        shell(report + " & sleep " + delay + "; kill -TERM $! 2>/dev/null; wait");
        EXPECT_EQ(temporaryFiles(), std::set<std::string>{}) << delay;
    }
    EXPECT_EQ(shell(report).exitCode, 0);
    EXPECT_EQ(temporaryFiles(), std::set<std::string>{});
    EXPECT_GT(std::filesystem::file_size(folder.path("r.pdf")), 1000u);
}

// Standard output on a full device: the command fails, saying why.
TEST_F(OutputSafety, WritesToStandardOutputAreChecked) {
    run("correction AR Ar40,Ar36,295.5 --ini TARNOVA.INI");
    for (const std::string& arguments :
         {std::string("info run.pks --ini TARNOVA.INI"), std::string("settings --ini TARNOVA.INI"),
          std::string("correction AR --ini TARNOVA.INI"),
          std::string("reduce run.pks --ini TARNOVA.INI ") + kRatio}) {
        const CliRun result = runInto(arguments, "/dev/full");
        EXPECT_EQ(result.exitCode, 1) << arguments;
        EXPECT_NE(result.err.find("標準出力に書き込めませんでした(No space left on device)。"),
                  std::string::npos)
            << arguments << ": " << result.err;
    }
    EXPECT_EQ(runInto("info run.pks --ini TARNOVA.INI", "/dev/null").exitCode, 0);
}

// An output that is an input of the same call (by its own name, a link or another name of the
// same file) is refused before anything is written.
TEST_F(OutputSafety, AnOutputNamingAnInputIsRefused) {
    const std::string measurement = folder.read("run.pks");
    const std::string settings = folder.read("TARNOVA.INI");
    ::link(folder.path("run.pks").c_str(), folder.path("same.png").c_str());
    std::filesystem::create_symlink("run.pks", folder.path("link.ird"));
    const std::string ratio = std::string(" run.pks --ini TARNOVA.INI ") + kRatio;
    for (const std::string& arguments :
         {"reduce" + ratio + " --output run.pks", "reduce" + ratio + " --output link.ird",
          "reduce" + ratio + " --output TARNOVA.INI", "graph" + ratio + " --output same.png",
          std::string("convert run.pks TARNOVA.INI --to dat --ini TARNOVA.INI")}) {
        if (test::drawsWithoutDrawing(arguments)) {
            continue;
        }
        const CliRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.err.find(" is the input "), std::string::npos)
            << arguments << ": " << result.err;
    }
    EXPECT_EQ(folder.read("run.pks"), measurement);
    EXPECT_EQ(folder.read("TARNOVA.INI"), settings);
}

// A settings file named but missing is said to be so; the defaults are used as before.
TEST_F(OutputSafety, AMissingSettingsFileIsNamed) {
    for (const char* arguments : {"settings --ini missing.ini", "info run.pks --ini missing.ini"}) {
        const CliRun result = run(arguments);
        EXPECT_EQ(result.exitCode, 0) << arguments;
        EXPECT_NE(result.err.find("設定ファイルmissing.iniがありません。既定の設定を使います。"),
                  std::string::npos)
            << arguments << ": " << result.err;
    }
    EXPECT_EQ(run("info run.pks --ini TARNOVA.INI").err, "");
}

// Correction sets: texts the file could not give back are refused as such, and a file that
// cannot be written is reported once for the whole command.
TEST_F(OutputSafety, CorrectionSetsTheFileCannotHoldAreRefused) {
    const std::string settings = folder.read("TARNOVA.INI");
    const struct {
        std::string arguments;
        const char* err;
    } rows[] = {
        {"correction AR \"$(printf 'Ar\\n40,Ar36,1')\" --ini TARNOVA.INI",
         "Tarnova: ラベルに改行を含めることはできません。\n"},
        {"correction " + std::string(80, 'S') + " Ar40,Ar36,1 --ini TARNOVA.INI",
         "Tarnova: セット名が長すぎます。79バイト以内で指定してください。\n"},
    };
    for (const auto& row : rows) {
        const CliRun result = run(row.arguments);
        EXPECT_EQ(result.exitCode, 1) << row.arguments;
        EXPECT_EQ(result.err, row.err) << row.arguments;
    }
    EXPECT_EQ(folder.read("TARNOVA.INI"), settings);
    EXPECT_EQ(run("correction " + std::string(79, 'S') + " Ar40,Ar36,1 --ini TARNOVA.INI").exitCode,
              0);

    std::filesystem::create_directory(folder.path("folder.ini"));
    const CliRun failed = run("correction AR Ar40,Ar36,1 Kr84,Ar36,2 Zn,Ar36,3 --ini folder.ini");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err, "Tarnova: 設定ファイルに書き込めませんでした(not a regular file)。\n"
                          "folder.ini\n");
}

// Two programs saving correction sets at once both keep all of theirs.
TEST_F(OutputSafety, SetsSavedAtOnceByTwoProgramsAreAllKept) {
    constexpr int kSets = 20;
    const std::string loop =
        "for i in $(seq " + std::to_string(kSets) + "); do '" TARNOVA_CLI_PATH "' correction ";
    const std::string rest = "$i Ar40,Ar36,$i --ini TARNOVA.INI || echo failed; done";
    const CliRun result = shell("(" + loop + "A" + rest + ") & (" + loop + "B" + rest + ") & wait");
    EXPECT_EQ(result.out, "");
    const IniFile file = IniFile::load(folder.path("TARNOVA.INI"));
    EXPECT_EQ(file.keyNames("interferance").size(), 2u * kSets);
    EXPECT_EQ(file.readInt("general", "interferance", 0), 2 * kSets);
    EXPECT_EQ(folder.names(),
              (std::set<std::string>{"TARNOVA.INI", "run.pks", "stdout", "stderr"}));
}

} // namespace
} // namespace tarnova
