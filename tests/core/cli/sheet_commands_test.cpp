// tarnova-cli info and convert, run as a user runs them.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tarnova {
namespace {

class SheetCommands : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string ini;
    std::vector<std::string> out;
    std::string err;

    void SetUp() override {
        ini = folder.write("TARNOVA.INI", "[general]\r\naddeof=yes\r\n[peakeditor]\r\n"
                                          "time=8.2\r\nheight=6.3\r\nrange=7.4\r\npeak=10.3\r\n");
    }

    int run(const std::string& arguments) {
        const test::CliRun result = test::runCli(folder, arguments);
        std::istringstream stream(result.out);
        out.clear();
        for (std::string line; std::getline(stream, line);) {
            out.push_back(line);
        }
        err = result.err;
        return result.exitCode;
    }
    std::string quoted(const std::string& path) const { return "'" + path + "'"; }
    // info on a file with the test's INI.
    int info(const std::string& path) {
        return run("info " + quoted(path) + " --ini " + quoted(ini));
    }
};

TEST_F(SheetCommands, InfoPrintsFormatNoteAndRows) {
    ASSERT_EQ(info(test::samplePath("argon_air.pks")), 0);
    ASSERT_EQ(out.size(), 8u + 75u);
    EXPECT_EQ(out[0], "format\tPKS");
    EXPECT_EQ(out[1], "note\tPKS");
    EXPECT_EQ(out[2], "Sample:\tAS-12 air standard, pipette 3");
    EXPECT_EQ(out[5], "Comments:\t大気アルゴン標準、ピペット2回分。ブランク補正前。");
    EXPECT_EQ(out[7], "rows\t75");
    EXPECT_EQ(out[8], "   Ar36\t00001.20\t02.106\t00.0100\t2.106E-002");
    EXPECT_EQ(out[12], "   Ar40\t00001.72\t06.215\t01.0000\t6.215E+000");
    EXPECT_EQ(err, "");

    ASSERT_EQ(info(test::samplePath("argon_air.dat")), 0);
    EXPECT_EQ(out[0], "format\tDAT");
    EXPECT_EQ(out[6], "SPIKEID\t0");
    EXPECT_EQ(out[10], "     36\t00001.20\t02.106\t00.0100\t2.106E-002");
    EXPECT_EQ(err, "");
}

// --exact prints the labels and values the file gave, whatever the columns show.
TEST_F(SheetCommands, InfoPrintsTheExactValuesOnRequest) {
    ini = folder.write("TARNOVA.INI", "[peakeditor]\r\nelem=2\r\nheight=6.1\r\n");
    ASSERT_EQ(
        run("info " + quoted(test::samplePath("argon_air.pks")) + " --exact --ini " + quoted(ini)),
        0);
    ASSERT_EQ(out.size(), 8u + 75u);
    EXPECT_EQ(out[7], "rows\t75");
    EXPECT_EQ(out[9], "Ar37\t1.33\t2.76471206\t0.0001\t0.000276471206");
    EXPECT_EQ(out[10], "Ar38\t1.46\t3.98080227\t0.001\t0.00398080227");
    EXPECT_EQ(out[12], "Ar40\t1.72\t6.21481379\t1\t6.21481379");
    EXPECT_EQ(run("info " + quoted(test::samplePath("argon_air.pks")) + " --exact --exact"), 2);
    EXPECT_TRUE(err.starts_with("tarnova-cli: --exact is given twice\n")) << err;
}

TEST_F(SheetCommands, InfoReportsWhatCannotBeLoaded) {
    const std::string junk = folder.write("junk.txt", "no peaks here\r\n");
    EXPECT_EQ(run("info " + quoted(junk)), 1);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(err, "Tarnova: サポートしない形式のデータです。ロードできません。\n");
    EXPECT_EQ(folder.read("junk.txt"), "no peaks here\r\n");
    EXPECT_FALSE(folder.exists("junk.bak"));
}

TEST_F(SheetCommands, AFormatChoiceReadsTheFileAsIs) {
    std::filesystem::copy_file(test::samplePath("argon_micromass.asc"), folder.path("run.txt"));
    const std::string before = folder.read("run.txt");
    ASSERT_EQ(run("info --format asc " + quoted(folder.path("run.txt"))), 0);
    EXPECT_EQ(out[0], "format\tMicromass ASC");
    EXPECT_EQ(folder.read("run.txt"), before);
    EXPECT_FALSE(folder.exists("run.bak"));
}

TEST_F(SheetCommands, UsageErrorsNameTheProblem) {
    const struct {
        const char* arguments;
        const char* problem;
    } cases[] = {
        {"info", "one file name expected"},
        {"info a b", "one file name expected"},
        {"info a --format txt", "--format txt is none of dat, pks, asc, mmdat"},
        {"info a --ini", "--ini needs a value"},
        {"info a --ini x --ini y", "--ini is given twice"},
        {"info a --to pks", "unknown option --to"},
        {"convert a b", "--to dat or --to pks expected"},
        {"convert a b --to asc", "--to dat or --to pks expected"},
        {"convert a --to pks", "two file names expected"},
        {"settings --save a --save b", "--save is given twice"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.arguments), 2) << c.arguments;
        EXPECT_TRUE(err.starts_with(std::string("tarnova-cli: ") + c.problem + "\nusage: "))
            << c.arguments << ": " << err;
    }
}

TEST_F(SheetCommands, ConvertWritesTheSheetInTheChosenFormat) {
    const std::string pks = folder.path("air.pks");
    ASSERT_EQ(run("convert " + quoted(test::samplePath("argon_air.dat")) + " " + quoted(pks) +
                  " --to pks --ini " + quoted(ini)),
              0);
    const std::string written = folder.read("air.pks");
    EXPECT_TRUE(written.starts_with("\"Comments:\",\"Atmospheric argon, two pipettes, before "
                                    "blank correction\"\r\n\"Date:\",\"2026/11/24 10:42\"\r\n"));
    // The values as the file holds them, not as the grid's columns round them (02.106).
    EXPECT_NE(written.find("\r\n  120,   2.10585900E-002, \"36\"\r\n"), std::string::npos);
    EXPECT_TRUE(written.ends_with("\"40\"\r\n\x1A"));
    ASSERT_EQ(info(pks), 0);
    EXPECT_EQ(out[0], "format\tPKS");
    EXPECT_EQ(out[6], "     36\t00001.20\t02.106\t00.0100\t2.106E-002");

    // Labels without numbers cannot be written as DAT.
    EXPECT_EQ(run("convert " + quoted(test::samplePath("argon_air.pks")) + " " +
                  quoted(folder.path("air.dat")) + " --to dat"),
              1);
    EXPECT_EQ(err, "Tarnova: DAT形式には質量数で始まるラベル(例: 40)が必要です。保存できるピー"
                   "クがありません。\n");
    // Rows that cannot be written are left out only when --leave-out says so.
    const std::string mixed = folder.write(
        "mixed.pks", "\"Sample:\",\"x\"\r\n\"Date:\",\"y\"\r\n  100,   1.0E+000, \"40\"\r\n"
                     "  200,   2.0E+000, \"Ar36\"\r\n");
    const std::string question =
        "Tarnova: 値のある1行は保存されません(最初は2行目: ラベルが質量数で始まらない)。保存しま"
        "すか？\n";
    EXPECT_EQ(run("convert " + quoted(mixed) + " mixed.dat --to dat"), 1);
    EXPECT_EQ(err, question);
    EXPECT_FALSE(folder.exists("mixed.dat"));
    EXPECT_EQ(run("convert " + quoted(mixed) + " mixed.dat --to dat --leave-out"), 0);
    EXPECT_EQ(err, question);
    EXPECT_NE(folder.read("mixed.dat").find("1,1\r\n"), std::string::npos); // one label, one peak
    EXPECT_EQ(run("convert " + quoted(mixed) + " m.dat --to dat --leave-out --leave-out"), 2);
    EXPECT_EQ(run("convert " + quoted(folder.path("missing")) + " x --to dat"), 1);
    EXPECT_EQ(err, "Tarnova: ファイル" + folder.path("missing") +
                       "を開けません。(No such file or directory)\n");
}

// The convert of a measurement onto itself on a file system too full for a second copy.
TEST_F(SheetCommands, ASaveOnAFullFileSystemLeavesTheOldFileWhole) {
    std::filesystem::create_directory(folder.path("disk"));
    const std::string disk = folder.path("disk");
    const std::string script =
        "mount -t tmpfs -o size=200k tarnova '" + disk + "' || exit 77; cp '" +
        test::samplePath("argon_air.pks") + "' '" + disk + "/m.pks'; dd if=/dev/zero of='" + disk +
        "/fill' bs=1k 2>/dev/null; '" TARNOVA_CLI_PATH "' convert '" + disk + "/m.pks' '" + disk +
        "/m.pks' --to pks 2>'" + folder.path("stderr") + "'; echo \\$?; cmp -s '" + disk +
        "/m.pks' '" + test::samplePath("argon_air.pks") + "' && echo whole; ls -A '" + disk + "'";
    // A mount namespace of its own lets the test mount a small file system without privileges.
    const std::string command =
        "unshare -rm sh -c \"" + script + "\" >'" + folder.path("stdout") + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        GTEST_SKIP() << "no small file system can be mounted here";
    }
    EXPECT_EQ(folder.read("stdout"), "1\nwhole\nfill\nm.pks\n");
    EXPECT_EQ(folder.read("stderr"),
              "Tarnova: データを保存できませんでした。ディスク容量、ディレクトリエントリの制限、"
              "ファイル名などを調べてください。\n");
}

// A device is refused naming its path.
TEST_F(SheetCommands, ADeviceIsNoMeasurement) {
    EXPECT_EQ(run("info /dev/zero"), 1);
    EXPECT_EQ(err, "Tarnova: /dev/zeroは通常のファイルではありません。読み込めません。\n");
}

} // namespace
} // namespace tarnova
