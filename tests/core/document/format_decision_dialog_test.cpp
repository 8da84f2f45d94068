#include "document/format_decision_dialog.h"

#include "core/support/file_size_limit.h"
#include "core/support/log_capture.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>

namespace tarnova {
namespace {

using test::RecordedMessage;
using ::testing::ElementsAre;

class Detection : public ::testing::Test {
  protected:
    test::TempFolder folder;
    test::LogCapture log;
    test::ScriptedPort ui;
    test::ScriptedFilePort files;
};

TEST_F(Detection, UndecidableFilesGoToTheDialog) {
    const std::string text = "  120,   1.0E+000, \"Ar40\"\r\n";
    const std::string path = folder.write("peaks.txt", text);
    files.decisions.push_back(test::ScriptedFilePort::accept(FormatChoice::PksThird));
    EXPECT_EQ(DetectFileKind(ui, files, path, false), FileKind::PksThirdChoice);
    ASSERT_EQ(files.decisionRequests.size(), 1u);
    EXPECT_EQ(files.decisionRequests[0].path, path);
    EXPECT_EQ(files.decisionRequests[0].content, text);
    // Cancel decides nothing.
    EXPECT_EQ(DetectFileKind(ui, files, path, false), FileKind::None);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Detection, ARetryGoesStraightToTheDialog) {
    files.decisions.push_back(test::ScriptedFilePort::accept(FormatChoice::Dat));
    EXPECT_EQ(
        DetectFileKind(ui, files, folder.write("a.pks", "\"a\",\"b\"\r\n\"c\"\r\n1\r\n"), true),
        FileKind::Dat);
    EXPECT_THAT(log.lines(), ElementsAre("Duplicated type check."));
}

TEST_F(Detection, AnUnreadableFileEndsInTheDialogWithoutShowingIt) {
    EXPECT_EQ(DetectFileKind(ui, files, folder.path("missing"), false), FileKind::None);
    EXPECT_THAT(log.lines(), ElementsAre("File can't open."));
    EXPECT_TRUE(files.decisionRequests.empty());
}

TEST_F(Detection, ADialogThatCannotBeShownIsReported) {
    files.decisions.push_back({FormatDecision::Status::NotShown, FormatChoice::Dat, {}});
    EXPECT_EQ(DetectFileKind(ui, files, folder.write("x", "x"), false), std::nullopt);
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Tarnova", "Dialog Box can't be opened."}}));
}

TEST_F(Detection, OnlyAnEditedTextRewritesTheFileAndEachEditKeepsABackup) {
    const std::string path = folder.write("run.txt", "first");
    struct Step {
        std::optional<std::string> edit; // none: OK without editing
        FormatChoice choice;
        std::set<std::string> files;
    };
    const Step steps[] = {
        {std::nullopt, FormatChoice::Dat, {"run.txt"}},
        {"second", FormatChoice::Pks, {"run.txt", "run.bak"}},
        {std::nullopt, FormatChoice::PksThird, {"run.txt", "run.bak"}},
        {"third", FormatChoice::None, {"run.txt", "run.bak", "run.bak1"}},
    };
    for (const Step& step : steps) {
        files.decisions.push_back(test::ScriptedFilePort::accept(step.choice, step.edit));
        EXPECT_EQ(FormatDecisionDialog(ui, files, path), step.choice);
        EXPECT_EQ(folder.names(), step.files);
    }
    EXPECT_EQ(folder.read("run.txt"), "third");
    EXPECT_EQ(folder.read("run.bak"), "first");
    EXPECT_EQ(folder.read("run.bak1"), "second");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(Detection, AnEditThatCannotBeWrittenLeavesTheFileAndNoBackup) {
    const std::string path = folder.write("run.txt", "first");
    {
        const test::FileSizeLimit limit(100);
        files.decisions.push_back(
            test::ScriptedFilePort::accept(FormatChoice::Dat, std::string(1000, 'x')));
        EXPECT_EQ(FormatDecisionDialog(ui, files, path), FormatChoice::None);
    }
    EXPECT_EQ(folder.read("run.txt"), "first");
    EXPECT_EQ(folder.names(), std::set<std::string>{"run.txt"});
}

TEST_F(Detection, BackupNamesReplaceOnlyTheFileNamesExtension) {
    EXPECT_EQ(backupPathFor(folder.path("a.b.pks")), folder.path("a.b.bak"));
    EXPECT_EQ(backupPathFor(folder.path("noextension")), folder.path("noextension.bak"));
    EXPECT_EQ(backupPathFor("/nonexistent/run.1/peaks"), "/nonexistent/run.1/peaks.bak");
}

TEST_F(Detection, CancelOrAnEmptyTextLeavesTheFile) {
    const std::string path = folder.write("run.txt", "first");
    EXPECT_EQ(FormatDecisionDialog(ui, files, path), FormatChoice::None);
    files.decisions.push_back(test::ScriptedFilePort::accept(FormatChoice::Dat, ""));
    EXPECT_EQ(FormatDecisionDialog(ui, files, path), std::nullopt); // it said why
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Tarnova", "データサイズを取得できません。"}}));
    EXPECT_EQ(folder.read("run.txt"), "first");
    EXPECT_FALSE(folder.exists("run.bak"));
}

} // namespace
} // namespace tarnova
