// tarnova-cli reduce over many files and folders, run as a process: the results equal those of
// single reductions, failures do not stop the batch, the order of the arguments is kept.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace tarnova {
namespace {

using test::CliRun;
using test::split;

constexpr const char* kChoice = " --numerator N --denominator D --abundance N";

// A measurement of cycles D, N pairs: the ratio N/D starts at start and grows by step per cycle.
std::string measurement(int cycles, double start, double step, const std::string& sample) {
    std::string text = "\"Sample:\",\"" + sample + "\"\r\n\"ID:\",\"" + sample + "-id\"\r\n";
    char line[96];
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const double d = 2.0 + 0.01 * (cycle % 7);
        std::snprintf(line, sizeof line, "%5d,   %.8E, \"D\"\r\n", 100 * (2 * cycle + 1), d);
        text += line;
        std::snprintf(line, sizeof line, "%5d,   %.8E, \"N\"\r\n", 100 * (2 * cycle + 2),
                      d * (start + step * cycle + 0.003 * ((cycle * 5) % 3)));
        text += line;
    }
    std::snprintf(line, sizeof line, "%5d,   %.8E, \"D\"\r\n", 100 * (2 * cycles + 1), 2.0);
    return text + line;
}

class BatchReduce : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override { folder.write("TARNOVA.INI", "[regression]\r\nconf95=true\r\n"); }

    // Writes a file of the test's folder, making the folders of its name.
    void write(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(folder.path(name)).parent_path());
        folder.write(name, bytes);
    }

    CliRun reduce(const std::string& arguments) {
        return test::runCli(folder, "reduce " + arguments + " --ini TARNOVA.INI");
    }
    // The rows of a CSV table whose fields hold no commas, quotes or line breaks.
    static std::vector<std::vector<std::string>> rows(const std::string& table) {
        std::vector<std::vector<std::string>> found;
        for (const std::string& line : split(table, "\r\n")) {
            if (!line.empty()) {
                found.push_back(split(line, ","));
            }
        }
        return found;
    }
};

TEST_F(BatchReduce, ResultsEqualSingleFileReductions) {
    write("a.pks", measurement(5, 3.0, 0.01, "A"));
    write("b.pks", measurement(12, 1.5, -0.002, "B"));
    write("c.pks", measurement(40, 0.2, 0.0, "C"));
    write("two.pks", measurement(2, 2.0, 0.0, "Two")); // two points: records without errors
    const CliRun batch = reduce("a.pks b.pks c.pks two.pks --jobs 2 --output out --table all.csv" +
                                std::string(kChoice));
    ASSERT_EQ(batch.exitCode, 0) << batch.err;
    EXPECT_TRUE(batch.out.empty());
    EXPECT_NE(batch.err.find("4 measurements, 8 records, 0 failed"), std::string::npos)
        << batch.err;
    const auto all = rows(folder.read("all.csv"));
    for (const char* name : {"a", "b", "c", "two"}) {
        SCOPED_TRACE(name);
        const std::string file = std::string(name) + ".pks";
        const CliRun single = reduce(file + " --output single.ird" + kChoice);
        ASSERT_EQ(single.exitCode, 0) << single.err;
        EXPECT_EQ(folder.read("out/" + std::string(name) + ".IRD"), folder.read("single.ird"));

        ASSERT_EQ(reduce(file + " --table single.csv" + kChoice).exitCode, 0);
        const auto own = rows(folder.read("single.csv"));
        ASSERT_EQ(own.size(), 3u); // the header and two records
        std::vector<std::vector<std::string>> inBatch;
        for (const auto& row : all) {
            if (row[0] == file) {
                inBatch.push_back(row);
            }
        }
        EXPECT_EQ(inBatch, std::vector(own.begin() + 1, own.end()));
    }
    EXPECT_EQ(all.at(0).at(0), "file");
    EXPECT_EQ(all.size(), 9u);
}

TEST_F(BatchReduce, DamagedFilesDoNotStopTheBatch) {
    write("archive/1 good.pks", measurement(6, 3.0, 0.01, "G1"));
    write("archive/2 noise.pks", std::string("\x01\xff\x7f garbage\r\n", 14));
    write("archive/3 empty.pks", "");
    write("archive/4 header only.pks", "\"Sample:\",\"H\"\r\n");
    write("archive/5 good.pks", measurement(8, 2.0, 0.0, "G2"));
    const CliRun batch =
        reduce("archive missing.pks --table - --table-format csv" + std::string(kChoice));
    EXPECT_EQ(batch.exitCode, 1);
    const auto table = rows(batch.out);
    std::vector<std::string> files;
    for (std::size_t i = 1; i < table.size(); ++i) {
        if (files.empty() || files.back() != table[i][0]) {
            files.push_back(table[i][0]);
        }
    }
    const std::vector<std::string> expected{"archive/1 good.pks",  "archive/2 noise.pks",
                                            "archive/3 empty.pks", "archive/4 header only.pks",
                                            "archive/5 good.pks",  "missing.pks"};
    EXPECT_EQ(files, expected);
    for (std::size_t i = 1; i < table.size(); ++i) {
        const bool failed = !table[i][0].ends_with("good.pks");
        EXPECT_EQ(table[i].back().starts_with("failed: "), failed) << table[i][0];
        EXPECT_EQ(table[i].back() == "ok", !failed) << table[i][0];
        // Each failure is named on standard error with its path.
        EXPECT_EQ(batch.err.find(table[i][0] + ": ") != std::string::npos, failed) << batch.err;
    }
    EXPECT_NE(batch.err.find("6 measurements, 4 records, 4 failed"), std::string::npos)
        << batch.err;
}

TEST_F(BatchReduce, OrderOfTheArgumentsUnderTwoJobs) {
    // The first measurement is by far the longest, so it finishes last.
    std::vector<std::string> names;
    std::string arguments;
    for (int i = 0; i < 16; ++i) {
        const std::string name = std::string(1, static_cast<char>('p' - i)) + ".pks";
        write(name, measurement(i == 0 ? 20000 : 3 + i, 1.0 + i, 0.001 * i, name));
        names.push_back(name);
        arguments += name + " ";
    }
    const CliRun table = reduce(arguments + "--jobs 2 --table - --table-format csv" + kChoice);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    std::vector<std::string> files;
    for (const auto& row : rows(table.out)) {
        if (row[0] != "file" && (files.empty() || files.back() != row[0])) {
            files.push_back(row[0]);
        }
    }
    EXPECT_EQ(files, names);

    // Without a table the IRD texts follow one another on standard output.
    const CliRun texts = reduce(arguments + "--jobs 2" + kChoice);
    ASSERT_EQ(texts.exitCode, 0) << texts.err;
    std::string singles;
    for (const std::string& name : names) {
        singles += reduce(name + kChoice).out;
    }
    EXPECT_EQ(texts.out, singles);
}

TEST_F(BatchReduce, OutputFolderThatCannotBeWritten) {
    write("a.pks", measurement(5, 3.0, 0.01, "A"));
    write("b.pks", measurement(6, 3.0, 0.01, "B"));
    write("plain.txt", "a file, no folder");
    const CliRun under = reduce("a.pks b.pks --output plain.txt/out" + std::string(kChoice));
    EXPECT_EQ(under.exitCode, 1);
    EXPECT_NE(under.err.find("plain.txt/out: the output folder cannot be made"), std::string::npos)
        << under.err;
    EXPECT_EQ(under.err.find("measurements"), std::string::npos); // nothing was reduced

    const CliRun file = reduce("a.pks b.pks --output plain.txt" + std::string(kChoice));
    EXPECT_EQ(file.exitCode, 2);
    EXPECT_NE(file.err.find("--output plain.txt is no folder"), std::string::npos) << file.err;
    EXPECT_EQ(folder.read("plain.txt"), "a file, no folder");

    if (geteuid() != 0) { // the superuser writes into any folder
        std::filesystem::create_directory(folder.path("locked"));
        std::filesystem::permissions(folder.path("locked"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_exec);
        const CliRun locked = reduce("a.pks b.pks --output locked" + std::string(kChoice));
        EXPECT_EQ(locked.exitCode, 1);
        EXPECT_NE(locked.err.find("locked: no file can be written"), std::string::npos);
        std::filesystem::permissions(folder.path("locked"), std::filesystem::perms::owner_all);
    }
}

// An IRD file never takes the place of a measurement, of the table or of another IRD file.
TEST_F(BatchReduce, OutputsNeverOverwriteInputs) {
    const std::string pks = measurement(5, 3.0, 0.01, "A");
    write("data/x.IRD", pks); // a measurement by its contents, whatever its name
    write("data/run.pks", pks);
    write("other/run.pks", pks);
    const struct {
        const char* arguments;
        const char* named;
    } cases[] = {
        {"data/x.IRD other/run.pks --output data", "data/x.IRD would overwrite"},
        {"data/run.pks other/run.pks --output out", "would both be written to out/run.IRD"},
        {"data other/run.pks --table data/run.pks --table-format csv", "would overwrite"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = reduce(c.arguments + std::string(kChoice));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(folder.read("data/x.IRD"), pks);
        EXPECT_EQ(folder.read("data/run.pks"), pks);
    }
    // Names that differ only in their extension keep it.
    write("data/run.dat", pks);
    ASSERT_EQ(reduce("data --output out" + std::string(kChoice)).exitCode, 0);
    EXPECT_EQ(folder.read("out/x.IRD").substr(0, 7), "SOURCE\t");
    EXPECT_TRUE(folder.exists("out/run.dat.IRD"));
    EXPECT_TRUE(folder.exists("out/run.pks.IRD"));
}

TEST_F(BatchReduce, FoldersGiveTheirDataFilesByName) {
    const std::string pks = measurement(5, 3.0, 0.01, "A");
    write("in/b.pks", pks);
    write("in/a-without-extension", pks);
    write("in/.hidden.pks", pks);
    write("in/notes.txt", "some notes\r\n");
    write("in/result.ird", "SOURCE\tx\r\n\r\n");
    write("in/sub/c.PKS", pks);
    const auto filesOf = [](const std::string& table) {
        std::vector<std::string> files;
        for (const auto& row : rows(table)) {
            if (row[0] != "file" && (files.empty() || files.back() != row[0])) {
                files.push_back(row[0]);
            }
        }
        return files;
    };
    const CliRun flat = reduce("in --table - --table-format csv" + std::string(kChoice));
    EXPECT_EQ(flat.exitCode, 0) << flat.err;
    EXPECT_EQ(filesOf(flat.out), (std::vector<std::string>{"in/a-without-extension", "in/b.pks"}));

    const CliRun deep =
        reduce("in/ --recursive --output out --table t.json" + std::string(kChoice));
    EXPECT_EQ(deep.exitCode, 0) << deep.err;
    EXPECT_TRUE(folder.exists("out/a-without-extension.IRD"));
    EXPECT_TRUE(folder.exists("out/b.IRD"));
    EXPECT_TRUE(folder.exists("out/sub/c.IRD"));
    EXPECT_FALSE(folder.exists("out/notes.IRD"));
    EXPECT_FALSE(folder.exists("out/result.IRD"));
    EXPECT_NE(folder.read("t.json").find("\"file\": \"in/sub/c.PKS\""), std::string::npos);
}

TEST_F(BatchReduce, UsageErrorsNameTheOption) {
    write("a.pks", measurement(5, 3.0, 0.01, "A"));
    const struct {
        const char* arguments;
        const char* named;
    } cases[] = {
        {"a.pks --table t.txt", "--table t.txt: give --table-format"},
        {"a.pks --table -", "--table -: give --table-format"},
        {"a.pks --table-format csv", "--table-format needs --table"},
        {"a.pks --table t.csv --table-format xml", "--table-format xml is neither"},
        {"a.pks a.pks --jobs 0", "--jobs 0 is no number"},
        {"a.pks a.pks --jobs two", "--jobs two is no number"},
        {"a.pks a.pks --jobs 2 --jobs 2", "--jobs is given twice"},
        {"a.pks a.pks --correction Kr", "--correction Kr"},
        {"--table t.csv", "a file or folder name expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun run = reduce(c.arguments + std::string(kChoice));
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("usage: tarnova-cli reduce"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
}

// With one file --output stays the IRD file, and the table comes beside it.
TEST_F(BatchReduce, OneFileWithATable) {
    write("a.pks", measurement(5, 3.0, 0.01, "A"));
    ASSERT_EQ(reduce("a.pks --output single.ird" + std::string(kChoice)).exitCode, 0);
    const CliRun run = reduce("a.pks --output a.ird --table t.json --quiet" + std::string(kChoice));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    EXPECT_EQ(folder.read("a.ird"), folder.read("single.ird"));
    EXPECT_TRUE(folder.read("t.json").starts_with("[\n{\"file\": \"a.pks\", \"format\": \"PKS\""));
    EXPECT_TRUE(reduce("a.pks --table t.csv" + std::string(kChoice)).out.empty());
}

// A calculation in which no record succeeds names its failure once: in the row's status and on
// standard error, with the table on standard output or in a file.
TEST_F(BatchReduce, FailedCalculationIsNamedOnce) {
    // Every N comes before the first D: the ratio has no point.
    write("f.pks", "\"Sample:\",\"F\"\r\n  100,   3.0E+00, \"N\"\r\n  200,   3.1E+00, \"N\"\r\n"
                   "  300,   1.0E+00, \"D\"\r\n  400,   1.0E+00, \"D\"\r\n");
    const std::string failure = "Tarnova: 回帰計算に失敗しました。";
    for (const char* table : {"- --table-format csv", "t.csv"}) {
        SCOPED_TRACE(table);
        const CliRun run =
            reduce("f.pks --numerator N --denominator D --table " + std::string(table));
        EXPECT_EQ(run.exitCode, 1);
        const auto found =
            rows(std::string(table).starts_with("-") ? run.out : folder.read("t.csv"));
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(found[1].back(), "failed: " + failure);
        const std::string line = "f.pks: " + failure + "\n";
        const std::size_t at = run.err.find(line);
        ASSERT_NE(at, std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(failure, at + line.size()), std::string::npos) << run.err;
    }
}

TEST(CliHelp, HelpAndVersionGoToStandardOutput) {
    test::TempFolder folder;
    const CliRun help = test::runCli(folder, "--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.err.empty());
    EXPECT_NE(help.out.find("tarnova-cli reduce FILE|FOLDER..."), std::string::npos) << help.out;
    for (const char* command :
         {"settings", "info", "convert", "reduce", "graph", "correction", "report"}) {
        SCOPED_TRACE(command);
        const CliRun own = test::runCli(folder, std::string(command) + " --help");
        EXPECT_EQ(own.exitCode, 0);
        EXPECT_TRUE(own.out.starts_with(std::string("usage: tarnova-cli ") + command + " "))
            << own.out;
        EXPECT_TRUE(own.err.empty());
        // Every option of the usage line is explained below it.
        const std::string usage = own.out.substr(0, own.out.find('\n'));
        const std::string explained = own.out.substr(usage.size());
        for (std::size_t at = usage.find("--"); at != std::string::npos;
             at = usage.find("--", at + 2)) {
            const std::string option = usage.substr(at, usage.find_first_of(" ]|", at + 2) - at);
            EXPECT_NE(explained.find(option), std::string::npos) << option;
        }
    }
    EXPECT_EQ(test::runCli(folder, "reduce a.pks --all-abundances --help").exitCode, 0);
    const CliRun version = test::runCli(folder, "--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("tarnova-cli [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
    EXPECT_EQ(test::runCli(folder, "--verbose").exitCode, 2);
    EXPECT_EQ(test::runCli(folder, "").exitCode, 2);
}

} // namespace
} // namespace tarnova
