#include "document/save_peak_file.h"

#include "core/support/sheet_session.h"
#include "data/dat_format.h"
#include "data/pks_format.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarnova {
namespace {

using test::RecordedMessage;
using test::ScriptedFilePort;

constexpr const char* kNotSaved =
    "データを保存できませんでした。ディスク容量、ディレクトリエントリの"
    "制限、ファイル名などを調べてください。";

class SavePeakFileTest : public ::testing::Test, protected test::SheetSession {
  protected:
    std::string loadCopy(const std::string& sample, const std::string& as) {
        EXPECT_TRUE(load(copySample(sample, as)).loaded);
        files.titles.clear();
        return folder.path(as);
    }
    bool save(const std::optional<std::string>& path) {
        return SavePeakFile(ui, files, grid, settings, path);
    }
    void typeLabel(int row, const std::string& label) {
        grid.MoveCursor(row, kElemColumn);
        grid.editBuffer().text = label;
        grid.markModified();
    }
};

TEST_F(SavePeakFileTest, SaveRewritesALoadedNativeFileInItsFormat) {
    const std::string pks = loadCopy("argon_air.pks", "a.pks");
    typeLabel(0, "   Ar35");
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(
        folder.read("a.pks").starts_with("\"Sample:\",\"AS-12 air standard, pipette 3\"\r\n"));
    EXPECT_NE(folder.read("a.pks").find("\"Ar35\""), std::string::npos);
    EXPECT_EQ(grid.IsModified() & kSheetModified, 0u);
    EXPECT_EQ(files.titles, (std::vector<std::string>{"Tarnova - a.pks"}));

    loadCopy("argon_air.dat", "b.dat");
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(folder.read("b.dat").starts_with("\"AS-12 air standard, pipette 3\",\"2026/11/24"));
    EXPECT_TRUE(files.saveRequests.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SavePeakFileTest, AnInstrumentsFileIsNeverOverwrittenBySave) {
    loadCopy("argon_micromass.dat", "m.dat");
    const std::string original = folder.read("m.dat");
    settings.dataDirectory = folder.path("");
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("copy.pks"), 1));
    ASSERT_TRUE(save(currentDataNote()->path)); // Save asks for a name, as Save As does
    EXPECT_EQ(folder.read("m.dat"), original);
    ASSERT_EQ(files.saveRequests.size(), 1u);
    const FileDialogRequest& request = files.saveRequests[0];
    EXPECT_EQ(request.selectedFilter, 1u); // PKS preselected for a PKS note
    EXPECT_EQ(request.initialName, folder.path("*.PKS"));
    EXPECT_EQ(request.initialFolder, folder.path(""));
    EXPECT_EQ(test::filterTexts(request),
              (std::vector<std::string>{"DATファイル(VARDEN88互換) *.DAT",
                                        "PKSファイル(ピークサーチ互換) *.PKS"}));
    EXPECT_TRUE(parsePksFile(folder.read("copy.pks")));
    EXPECT_EQ(currentDataNote()->path, folder.path("copy.pks"));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SavePeakFileTest, SaveKeepsTheFormatOfTheLastSaveAs) {
    loadCopy("argon_air.dat", "a.dat");
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("as.pks"), 1));
    ASSERT_TRUE(save(std::nullopt));
    EXPECT_EQ(currentDataNote()->form, DataNoteForm::Dat);
    std::filesystem::remove(folder.path("as.pks"));
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_EQ(files.saveRequests.size(), 1u);
    EXPECT_TRUE(parsePksFile(folder.read("as.pks")));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SavePeakFileTest, SaveAsAsksBeforeOverwriting) {
    loadCopy("argon_air.pks", "a.pks");
    folder.write("taken.pks", "keep");
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("taken.pks"), 1));
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("taken.pks"), 1));
    ui.answers = {Answer::No, Answer::Cancel};
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(files.saveRequests.size(), 2u); // No opens the dialog again
    const std::string question =
        "ファイル" + folder.path("taken.pks") + "は既に存在します。上書きしますか？";
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{{"Tarnova", question}, {"Tarnova", question}}));
    EXPECT_EQ(folder.read("taken.pks"), "keep");
    EXPECT_EQ(currentDataNote()->path, folder.path("a.pks"));

    ui.messages.clear();
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("taken.pks"), 1));
    ui.answers = {Answer::Yes};
    EXPECT_TRUE(save(std::nullopt));
    EXPECT_TRUE(parsePksFile(folder.read("taken.pks")));
    EXPECT_EQ(currentDataNote()->path, folder.path("taken.pks"));
    EXPECT_EQ(files.titles.back(), "Tarnova - taken.pks");
}

TEST_F(SavePeakFileTest, ATypedSheetWithoutANoteGetsTheDefaultsAndANewNote) {
    std::vector<PeakRecord> peaks(2);
    peaks[0].elem = "40";
    peaks[0].time = 0.29;
    peaks[0].height = 1.5;
    peaks[0].range = 1;
    peaks[1] = peaks[0];
    grid.AttachPeaks(peaks);
    settings.generalFlags |= kAddEof;
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("typed"), 0));
    ASSERT_TRUE(save(std::nullopt));
    EXPECT_EQ(files.saveRequests[0].selectedFilter, 0u);
    EXPECT_EQ(files.saveRequests[0].initialName, "*.DAT");
    const std::string text = folder.read("typed");
    EXPECT_TRUE(text.starts_with("\"unknown\",\"1970/01/01\"\r\n\"No comment\"\r\n"));
    EXPECT_TRUE(text.ends_with("40,0.290000,1.500000,1.000000\r\n\x1A"));
    ASSERT_TRUE(currentDataNote());
    EXPECT_EQ(currentDataNote()->form, DataNoteForm::Dat);
    EXPECT_EQ(currentDataNote()->path, folder.path("typed"));
    // The next Save writes the empty texts of the new note.
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(folder.read("typed").starts_with("\"\",\"\"\r\n\"\"\r\n"));
    EXPECT_TRUE(parseDatFile(folder.read("typed")));
}

TEST_F(SavePeakFileTest, FailuresLeaveModifiedMarkTitleAndPath) {
    loadCopy("argon_air.pks", "a.pks");
    grid.markModified();
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("no/such/folder.pks"), 1));
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", kNotSaved}}));

    // Labels without numbers cannot be written as DAT.
    ui.messages.clear();
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("a.dat"), 0));
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", kNotSaved}}));
    EXPECT_EQ(grid.IsModified() & kSheetModified, kSheetModified);
    EXPECT_TRUE(files.titles.empty());
    EXPECT_EQ(currentDataNote()->path, folder.path("a.pks"));

    ui.messages.clear();
    EXPECT_FALSE(save(std::nullopt)); // the dialog is cancelled
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SavePeakFileTest, NothingToSave) {
    grid.AttachPeaks({});
    EXPECT_FALSE(save(std::nullopt));
    grid.NewSheet();
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("x.pks"), 1));
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages,
              (std::vector<RecordedMessage>{
                  {"Tarnova", "ピークがありません。保存はできません。"},
                  {"Tarnova", "データリストを抽出できません。メモリ不足の可能性があります。"}}));
    EXPECT_TRUE(files.saveRequests.size() == 1);
    EXPECT_FALSE(folder.exists("x.pks"));
}

TEST_F(SavePeakFileTest, AFailedSaveDialogIsReported) {
    loadCopy("argon_air.pks", "a.pks");
    files.saveResults.push_back({FileDialogResult::Status::Failed, {}, 0, 0xFFFF});
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova - Serious Error",
                                                          "File selection is aborted with Error "
                                                          "0xffff:65535"}}));
}

} // namespace
} // namespace tarnova
