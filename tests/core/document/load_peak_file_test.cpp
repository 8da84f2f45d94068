#include "document/load_peak_file.h"

#include "core/support/log_capture.h"
#include "core/support/sheet_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

namespace tarnova {
namespace {

using test::RecordedMessage;
using test::ScriptedFilePort;
using ::testing::Contains;

const RecordedMessage kUnsupported{"Tarnova", "サポートしない形式のデータです。ロードできません。"};
const RecordedMessage kReadFailed{
    "Tarnova", "読み込みに失敗しました。データファイルの異常か、メモリ不足かもしれません。"};

class LoadPeakFileTest : public ::testing::Test, protected test::SheetSession {
  protected:
    test::LogCapture log;
    // A sheet and note that a refused file must leave as they are.
    void loadKnownSheet() {
        ASSERT_TRUE(load(test::samplePath("argon_air.pks")).loaded);
        ui.messages.clear();
        files.titles.clear();
    }
    void expectKnownSheetKept() {
        EXPECT_EQ(grid.GetRowCount(), 75);
        ASSERT_TRUE(currentDataNote());
        EXPECT_EQ(currentDataNote()->path, test::samplePath("argon_air.pks"));
        EXPECT_EQ(currentDataNote()->tags[0].text, "AS-12 air standard, pipette 3");
        EXPECT_TRUE(files.titles.empty());
    }
};

TEST_F(LoadPeakFileTest, LoadsEverySampleByItsName) {
    const struct {
        const char* name;
        FileKind kind;
        int rows;
        std::optional<DataNoteForm> form; // none: not a file this program writes
    } cases[] = {{"argon_air.pks", FileKind::Pks, 75, DataNoteForm::Pks},
                 {"argon_air.dat", FileKind::Dat, 75, DataNoteForm::Dat},
                 {"argon_micromass.asc", FileKind::MicromassAsc, 50, std::nullopt},
                 {"helium_micromass.asc", FileKind::MicromassAsc, 20, std::nullopt},
                 {"argon_micromass.dat", FileKind::MicromassDat, 60, std::nullopt}};
    for (const auto& sample : cases) {
        SCOPED_TRACE(sample.name);
        const LoadResult result = load(test::samplePath(sample.name));
        EXPECT_TRUE(result.loaded);
        EXPECT_EQ(result.kind, sample.kind);
        EXPECT_EQ(grid.GetRowCount(), sample.rows);
        EXPECT_EQ(files.titles.back(), std::string("Tarnova - ") + sample.name);
        ASSERT_TRUE(currentDataNote());
        EXPECT_EQ(currentDataNote()->path, test::samplePath(sample.name));
        EXPECT_EQ(currentDataNote()->fileName(), sample.name);
        EXPECT_EQ(currentDataNote()->fileForm, sample.form);
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(files.decisionRequests.empty());
}

// Other extensions are decided by the content without the dialog, and a preset format
// replaces both the extension and the content.
TEST_F(LoadPeakFileTest, ContentOrAPresetDecidesFilesWithOtherExtensions) {
    const struct {
        const char* sample;
        const char* as;
        FileKind preset;
        FileKind kind;
    } cases[] = {
        {"argon_air.pks", "run.txt", FileKind::None, FileKind::Pks},
        {"argon_air.dat", "run", FileKind::None, FileKind::Dat},
        {"argon_micromass.dat", "run.raw", FileKind::None, FileKind::MicromassDat},
        {"argon_air.pks", "run.dat", FileKind::Pks, FileKind::Pks},
        {"argon_micromass.asc", "run.xyz", FileKind::MicromassAsc, FileKind::MicromassAsc}};
    for (const auto& c : cases) {
        EXPECT_EQ(load(copySample(c.sample, c.as), c.preset).kind, c.kind) << c.as;
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(files.decisionRequests.empty());
}

TEST_F(LoadPeakFileTest, AFailedReadIsRetriedThroughTheDialog) {
    loadKnownSheet();
    // A DAT file named .pks fails as PKS; the retry asks, and DAT is chosen.
    const std::string path = copySample("argon_air.dat", "wrong.pks");
    files.decisions.push_back(ScriptedFilePort::accept(FormatChoice::Dat));
    const LoadResult result = load(path);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.kind, FileKind::Dat);
    EXPECT_THAT(log.lines(), Contains("Duplicated type check."));
    EXPECT_FALSE(folder.exists("wrong.bak")); // the text was not edited
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LoadPeakFileTest, RefusalsLeaveTheSheetAsItWas) {
    loadKnownSheet();
    const std::string damaged = folder.write("damaged.pks", "\"a\",\"b\"\r\n1,1,\"x\"\r\nbad\r\n");
    EXPECT_FALSE(load(damaged).loaded); // the retry's dialog is cancelled
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{kUnsupported}));
    expectKnownSheetKept();

    ui.messages.clear();
    files.decisions.push_back(ScriptedFilePort::accept(FormatChoice::Pks));
    EXPECT_FALSE(load(damaged).loaded); // the chosen format fails too
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{kReadFailed}));
    expectKnownSheetKept();

    ui.messages.clear();
    EXPECT_FALSE(load(folder.write("noise.bin", std::string("\x01\x02\0\xff", 4))).loaded);
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{kUnsupported}));
    expectKnownSheetKept();
}

TEST_F(LoadPeakFileTest, AFileThatCannotBeReadIsNamedWithTheSystemsReason) {
    loadKnownSheet();
    std::filesystem::create_directory(folder.path("run.pks"));
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {{folder.path("missing.pks"), "No such file or directory"},
                 {folder.path("missing"), "No such file or directory"},
                 {folder.path("run.pks"), "Is a directory"}};
    for (const auto& c : cases) {
        ui.messages.clear();
        EXPECT_FALSE(load(c.path).loaded);
        EXPECT_EQ(ui.messages,
                  (std::vector<RecordedMessage>{
                      {"Tarnova", "ファイル" + c.path + "を開けません。(" + c.reason + ")"}}));
        expectKnownSheetKept();
    }
    // The open dialog's choice too.
    ui.messages.clear();
    files.openResults.push_back(ScriptedFilePort::chosen(folder.path("missing.pks"), 1));
    EXPECT_FALSE(LoadPeakFile(ui, files, grid, settings, std::nullopt).loaded);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(files.decisionRequests.empty());
    expectKnownSheetKept();
}

// A device or a pipe is refused before anything reads it, whatever its name says.
TEST_F(LoadPeakFileTest, PathsThatAreNoRegularFileAreRefusedNamingThem) {
    loadKnownSheet();
    const std::string pipe = folder.path("pipe.pks");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        for (FileKind preset : {FileKind::None, FileKind::Pks}) {
            ui.messages.clear();
            EXPECT_FALSE(load(path, preset).loaded);
            EXPECT_EQ(ui.messages,
                      (std::vector<RecordedMessage>{
                          {"Tarnova", path + "は通常のファイルではありません。読み込めません。"}}));
            expectKnownSheetKept();
        }
    }
}

TEST_F(LoadPeakFileTest, AnIrdFileIsRefusedTwice) {
    loadKnownSheet();
    EXPECT_FALSE(load(folder.write("result.ird", "SOURCE\tAr40/Ar36\r\n")).loaded);
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Check", "IRD is detected."}, kUnsupported}));
    EXPECT_EQ(files.decisionRequests.size(), 1u);
    expectKnownSheetKept();
}

// A dialog that ends with a message of its own is the only message of the load.
TEST_F(LoadPeakFileTest, AnEmptyFileGivesOneMessage) {
    const RecordedMessage noSize{"Tarnova", "データサイズを取得できません。"};
    const RecordedMessage notShown{"Tarnova", "Dialog Box can't be opened."};
    const ScriptedFilePort::ScriptedDecision okUnedited =
        ScriptedFilePort::accept(FormatChoice::Dat);
    const ScriptedFilePort::ScriptedDecision cannotShow{FormatDecision::Status::NotShown,
                                                        FormatChoice::Dat, std::nullopt};
    const struct {
        const char* name;
        const char* content;
        std::optional<ScriptedFilePort::ScriptedDecision> decision; // none: Cancel
        RecordedMessage message;
    } cases[] = {
        {"empty.txt", "", okUnedited, noSize}, // detection asks at once
        {"empty.pks", "", okUnedited, noSize}, // the PKS reader fails, the retry asks
        {"empty.dat", "", okUnedited, noSize}, // no instrument's file: detection asks
        {"empty.txt", "", std::nullopt, kUnsupported}, {"noise.txt", "x", cannotShow, notShown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        loadKnownSheet();
        if (c.decision) {
            files.decisions.push_back(*c.decision);
        }
        EXPECT_FALSE(load(folder.write(c.name, c.content)).loaded);
        EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{c.message}));
        expectKnownSheetKept();
    }
}

TEST_F(LoadPeakFileTest, TheDialogCanRepairAFile) {
    const std::string path = folder.write("peaks.txt", "  120,   1.0E+000, \"Ar40\"\r\n");
    files.decisions.push_back(ScriptedFilePort::accept(
        FormatChoice::PksThird, "\"Sample:\",\"x\"\r\n  120,   1.0E+000, \"Ar40\"\r\n"));
    const LoadResult result = load(path);
    EXPECT_TRUE(result.loaded);
    EXPECT_EQ(result.kind, FileKind::PksThirdChoice);
    EXPECT_EQ(grid.GetRowCount(), 1);
    EXPECT_EQ(folder.read("peaks.bak"), "  120,   1.0E+000, \"Ar40\"\r\n");
}

TEST_F(LoadPeakFileTest, AFileWithoutPeaksCannotBeAttached) {
    const std::string path = folder.write(
        "empty.dat", "\"S\",\"D\"\r\n\"C\"\r\n1\r\n0,0,0\r\n0,0\r\n0\r\n0\r\n0\r\n0\r\n");
    EXPECT_FALSE(load(path).loaded);
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{
                               {"Tarnova - serious error", "Fail to attach the data."}}));
    EXPECT_EQ(grid.GetRowCount(), 0);
    ASSERT_TRUE(currentDataNote());
    EXPECT_FALSE(currentDataNote()->path);
}

TEST_F(LoadPeakFileTest, TheOpenDialogOffersTheNativeFormats) {
    settings.dataDirectory = "/data/";
    EXPECT_FALSE(LoadPeakFile(ui, files, grid, settings, std::nullopt).loaded);
    ASSERT_EQ(files.openRequests.size(), 1u);
    const FileDialogRequest& request = files.openRequests[0];
    EXPECT_EQ(test::filterTexts(request),
              (std::vector<std::string>{"DATファイル(VARDEN88互換) *.DAT",
                                        "PKSファイル(ピークサーチ互換) *.PKS",
                                        "Micromass ASCファイル *.ASC", "すべてのファイル *.*"}));
    EXPECT_EQ(request.selectedFilter, 1u);
    EXPECT_EQ(request.initialFolder, "/data/");
    EXPECT_EQ(request.initialName, "");
    EXPECT_TRUE(request.fileMustExist);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(grid.GetRowCount(), kGridPageRows);

    files.openResults.push_back({FileDialogResult::Status::Failed, {}, 0, 0x3002});
    EXPECT_FALSE(LoadPeakFile(ui, files, grid, settings, std::nullopt).loaded);
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{
                               {"Tarnova - Serious Error",
                                "File selection is aborted with Error 0x3002:12290"}}));
}

TEST_F(LoadPeakFileTest, AFileChosenInTheDialogIsReadByItsExtensionFirst) {
    std::string chosen;
    files.openResults.push_back(ScriptedFilePort::chosen("/x/a.Dat", 0));
    files.openResults.push_back(ScriptedFilePort::chosen("/x/a.pKs", 2));
    files.openResults.push_back(ScriptedFilePort::chosen("/x/a.asc", 1));
    files.openResults.push_back(ScriptedFilePort::chosen("/x/dat", 1));
    EXPECT_EQ(ChooseOpenFile(ui, files, "", chosen), ChosenOpenFile::Dat);
    EXPECT_EQ(chosen, "/x/a.Dat");
    EXPECT_EQ(ChooseOpenFile(ui, files, "", chosen), ChosenOpenFile::Pks);
    EXPECT_EQ(ChooseOpenFile(ui, files, "", chosen), ChosenOpenFile::Other);
    EXPECT_EQ(ChooseOpenFile(ui, files, "", chosen), ChosenOpenFile::Other);

    // A chosen file is read as the command line reads it: an instrument's .DAT (first byte
    // "&") as Micromass DAT, .ASC as Micromass ASC; another .DAT as native DAT.
    const struct {
        std::string path;
        FileKind kind;
    } cases[] = {{copySample("argon_micromass.dat", "m.DAT"), FileKind::MicromassDat},
                 {copySample("argon_micromass.asc", "m.asc"), FileKind::MicromassAsc},
                 {test::samplePath("argon_air.dat"), FileKind::Dat},
                 {copySample("argon_air.pks", "a.pks"), FileKind::Pks}};
    for (const auto& c : cases) {
        files.openResults.push_back(ScriptedFilePort::chosen(c.path, 3));
        EXPECT_EQ(LoadPeakFile(ui, files, grid, settings, std::nullopt).kind, c.kind) << c.path;
    }
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(files.decisionRequests.empty());
}

} // namespace
} // namespace tarnova
