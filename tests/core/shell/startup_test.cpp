// Start-up from the command line and from dropped files.
#include "shell/startup.h"

#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "data/peak_sheet.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "shell/build_date.h"
#include "shell/command_line.h"
#include "shell/file_drop.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

// An absolute path of length characters made of filler, ending in "/" when it names a folder.
std::string longPath(std::size_t length, char filler, bool folder) {
    std::string path(length, filler);
    path.front() = '/';
    if (folder) {
        path.back() = '/';
    }
    return path;
}

struct StartedInstance {
    std::string executable;
    std::string file;
    bool operator==(const StartedInstance&) const = default;
};

class Startup : public ::testing::Test {
  protected:
    void SetUp() override {
        ReleaseDataNote();
        hooks.openLogWindow = [this] {
            ++logWindowsOpened;
            runLog().open(nullptr);
            return runLog().isOpen();
        };
        hooks.loadSettings = [this] { ++settingsLoaded; };
        hooks.startInstance = [this](const std::string& executable, const std::string& file) {
            started.push_back({executable, file});
        };
    }
    void TearDown() override {
        runLog().close();
        ReleaseDataNote();
        setLoadPath({});
    }

    StartupResult run(std::string_view line, const std::string& executable = "/opt/t/tarnova") {
        return RunStartup(line, executable, hooks, port);
    }
    static std::vector<std::string> logLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < runLog().lineCount(); ++i) {
            lines.push_back(runLog().line(i));
        }
        return lines;
    }
    static std::optional<std::string> pendingFile() {
        return currentDataNote() ? currentDataNote()->path : std::nullopt;
    }

    StartupHooks hooks;
    test::ScriptedPort port;
    int logWindowsOpened = 0;
    int settingsLoaded = 0;
    std::vector<StartedInstance> started;
};

TEST_F(Startup, LogsEveryStepInOrderWithTheLogOption) {
    const auto result = run("-log a.pks  b.pks   c.pks");
    EXPECT_TRUE(result.succeeded);
    EXPECT_EQ(result.furtherInstanceExecutable, "/opt/t/tarnova");
    EXPECT_EQ(loadPath(), "/opt/t/");
    EXPECT_EQ(settingsLoaded, 1);
    EXPECT_EQ(logLines(), (std::vector<std::string>{"Start logging.", "Loaded from /opt/t/tarnova.",
                                                    "Loadpath is /opt/t/", "Accelerator is loaded",
                                                    "Common Control Library is initialized",
                                                    "CmdLine: -log a.pks  b.pks   c.pks",
                                                    "a.pks: Load", "b.pks: Fork", "c.pks: Fork"}));
    EXPECT_EQ(pendingFile(), "a.pks");
    EXPECT_EQ(started, (std::vector<StartedInstance>{{"/opt/t/tarnova", "b.pks"},
                                                     {"/opt/t/tarnova", "c.pks"}}));
}

TEST_F(Startup, LogOptionCountsOnlyAsAWholeToken) {
    // A file whose name contains the option loads as a file; logging stays off.
    run("run-log.pks");
    EXPECT_EQ(logWindowsOpened, 0);
    EXPECT_EQ(pendingFile(), "run-log.pks");
    TearDown();

    // Names before the option are ignored.
    run("first.pks -log second.pks");
    EXPECT_EQ(logWindowsOpened, 1);
    EXPECT_EQ(pendingFile(), "second.pks");
    EXPECT_TRUE(started.empty());
    TearDown();

    // The option alone: logging on, no file.
    run("-log");
    EXPECT_EQ(logWindowsOpened, 2);
    EXPECT_FALSE(currentDataNote().has_value());
}

TEST_F(Startup, LogWindowThatCannotOpenCostsOnlyAMessage) {
    hooks.openLogWindow = [] { return false; };
    EXPECT_TRUE(run("-log a.pks").succeeded);
    EXPECT_EQ(port.messages,
              (std::vector<test::RecordedMessage>{{"Tarnova", "Can't open log window!"}}));
    EXPECT_EQ(pendingFile(), "a.pks");
}

TEST_F(Startup, QuotedNamesLoseTheirQuotes) {
    runLog().open(nullptr);
    run("\"my data.pks\" \"other data.pks\"");
    EXPECT_EQ(pendingFile(), "my data.pks");
    EXPECT_EQ(started, (std::vector<StartedInstance>{{"/opt/t/tarnova", "other data.pks"}}));
    // The fork's log line quotes the token as it stands.
    EXPECT_EQ(logLines().back(), "\"other data.pks\": Fork");
}

TEST_F(Startup, FurtherNamesOf340CharactersAreRefused) {
    runLog().open(nullptr);
    const std::string accepted(339, 'a');
    const std::string refused(340, 'b');
    run("first.pks " + refused + " " + accepted + " last.pks");
    EXPECT_EQ(started, (std::vector<StartedInstance>{{"/opt/t/tarnova", accepted},
                                                     {"/opt/t/tarnova", "last.pks"}}));
    const auto lines = logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Too long path: Can't accept."), 1);
}

TEST_F(Startup, TooDeepFolderStopsStartUp) {
    const auto result = run("a.pks b.pks", longPath(248, 'd', true) + "tarnova");
    EXPECT_FALSE(result.succeeded);
    EXPECT_EQ(port.messages,
              (std::vector<test::RecordedMessage>{
                  {"Tarnova", "Too deep path tree: Can't accept commandline."},
                  {"Windows Application", "Fail for initialization: Stop execution."}}));
    EXPECT_TRUE(started.empty());

    // One character less is accepted.
    port.messages.clear();
    EXPECT_TRUE(run("", longPath(247, 'd', true) + "tarnova").succeeded);
    EXPECT_TRUE(port.messages.empty());
}

class FileDrop : public ::testing::Test {
  protected:
    void SetUp() override {
        hooks.mayReplaceSheet = [this] { return mayReplace; };
        hooks.loadFile = [this](const std::string& path) { loaded.push_back(path); };
        hooks.startInstance = [this](const std::string& executable, const std::string& file) {
            started.push_back(executable + " " + file);
        };
    }

    test::LogCapture log;
    FileDropHooks hooks;
    test::ScriptedPort port;
    bool mayReplace = true;
    std::vector<std::string> loaded;
    std::vector<std::string> started;
};

TEST_F(FileDrop, FirstFileLoadsAndFurtherFilesStartProcesses) {
    ProcessDroppedFiles({"/d/a.pks", "/d/b c.pks", "/d/c.pks"}, "/opt/t/", hooks, port);
    EXPECT_EQ(loaded, std::vector<std::string>{"/d/a.pks"});
    EXPECT_EQ(started,
              (std::vector<std::string>{"/opt/t/tarnova /d/b c.pks", "/opt/t/tarnova /d/c.pks"}));
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"Start to process dropped files.", "/d/a.pks is dropped.",
                                        "/d/a.pks: Load", "/d/b c.pks is dropped.",
                                        "/d/b c.pks: Fork", "/d/c.pks is dropped.",
                                        "/d/c.pks: Fork", "Finish processing the dropped files."}));
}

TEST_F(FileDrop, RefusedReplacementProcessesNothing) {
    mayReplace = false;
    ProcessDroppedFiles({"/d/a.pks", "/d/b.pks"}, "/opt/t/", hooks, port);
    EXPECT_TRUE(loaded.empty());
    EXPECT_TRUE(started.empty());
}

TEST_F(FileDrop, LongNamesAndDeepFolders) {
    const std::string longName = longPath(320, 'n', false);
    ProcessDroppedFiles({longName}, "/opt/t/", hooks, port);
    EXPECT_EQ(log.lines()[1], "Too long to report.");
    EXPECT_EQ(loaded, std::vector<std::string>{longName});

    loaded.clear();
    ProcessDroppedFiles({"/d/a.pks"}, longPath(328, 'd', true), hooks, port);
    EXPECT_EQ(port.messages, (std::vector<test::RecordedMessage>{
                                 {"Tarnova", "Too deep tree to make load path."}}));
    EXPECT_TRUE(loaded.empty());
}

TEST(BuildDate, UsesSingleBlanks) {
    EXPECT_EQ(BuildDateText("Dec  6 2026"), "Build: Dec 6 2026");
    EXPECT_EQ(BuildDateText("Jan 17 2027"), "Build: Jan 17 2027");
}

std::vector<std::string> tokensOf(std::string_view line) {
    CommandTokenizer tokenizer(line);
    std::vector<std::string> tokens;
    while (auto token = tokenizer.NextCommandToken()) {
        tokens.push_back(*token);
    }
    return tokens;
}

TEST(CommandTokenizer, SplitsAtBlanksAndSkipsRunsOfThem) {
    EXPECT_EQ(tokensOf("a.pks  b.pks   c.pks"),
              (std::vector<std::string>{"a.pks", "b.pks", "c.pks"}));
    EXPECT_TRUE(tokensOf("     ").empty());
    EXPECT_EQ(tokensOf("  x  "), std::vector<std::string>{"x"});
    // Only the space counts as a blank.
    EXPECT_EQ(tokensOf("a\tb"), std::vector<std::string>{"a\tb"});
}

TEST(CommandTokenizer, QuotedTokensKeepTheirQuotes) {
    EXPECT_EQ(tokensOf("\"x y\" z"), (std::vector<std::string>{"\"x y\"", "z"}));
    // A quote followed by anything but a blank or the end belongs to the token.
    EXPECT_EQ(tokensOf("\"x\"y z\""), std::vector<std::string>{"\"x\"y z\""});
    // No closing quote: the token runs to the end.
    EXPECT_EQ(tokensOf("a \"b c"), (std::vector<std::string>{"a", "\"b c"}));
    EXPECT_EQ(tokensOf("\"\""), std::vector<std::string>{"\"\""});
}

TEST(CommandTokenizer, JoinedArgumentsTokenizeBack) {
    const std::vector<std::string> arguments{"-log", "my data.pks", "b.pks"};
    EXPECT_EQ(joinCommandLine(arguments), "-log \"my data.pks\" b.pks");
    EXPECT_EQ(tokensOf(joinCommandLine(arguments)),
              (std::vector<std::string>{"-log", "\"my data.pks\"", "b.pks"}));
}

} // namespace
} // namespace tarnova
