#include "document/save_peak_file.h"

#include "core/support/file_size_limit.h"
#include "core/support/sheet_session.h"
#include "data/dat_format.h"
#include "data/pks_format.h"
#include "document/peak_list_extraction.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace tarnova {
namespace {

using test::RecordedMessage;
using test::ScriptedFilePort;

constexpr const char* kNotSaved =
    "データを保存できませんでした。ディスク容量、ディレクトリエントリの"
    "制限、ファイル名などを調べてください。";

constexpr const char* kDatNeedsMassNumbers =
    "DAT形式には質量数で始まるラベル(例: 40)が必要です。保存できるピークがありません。";

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
    void typeLabel(int row, const std::string& label) { type(row, kElemColumn, label); }
    void type(int row, int column, const std::string& text) {
        grid.MoveCursor(row, column);
        grid.editBuffer().text = text;
        grid.markModified();
    }
    // The peaks of a saved file as its reader gives them.
    std::vector<PeakRecord> savedPeaks(const std::string& name) {
        const auto file = name.ends_with(".dat") ? parseDatFile(folder.read(name))
                                                 : parsePksFile(folder.read(name));
        EXPECT_TRUE(file) << name;
        return file ? file->peaks : std::vector<PeakRecord>{};
    }
};

TEST_F(SavePeakFileTest, OnlyEditedCellsChangeTheSavedValues) {
    loadCopy("argon_air.pks", "a.pks");
    const std::string original = folder.read("a.pks");
    const std::vector<PeakRecord> before = savedPeaks("a.pks");
    // A calculation reads the values as shown; it must not round what a save writes.
    ASSERT_TRUE(ExtractPeakList(grid));
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_EQ(folder.read("a.pks"), original);

    type(2, kTimeColumn, "00009.99");
    ASSERT_TRUE(save(currentDataNote()->path));
    const std::vector<PeakRecord> after = savedPeaks("a.pks");
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(after[i].elem, before[i].elem);
        EXPECT_EQ(after[i].peakValue(), before[i].peakValue()); // all nine digits
        EXPECT_EQ(after[i].time, i == 2 ? 9.99 : before[i].time);
    }
}

TEST_F(SavePeakFileTest, ValuesBeyondTheColumnsAreSavedWhole) {
    // A long label, a time wider than its column, a range the column shows as zero.
    const PeakRecord peaks[] = {test::makePeak("Ar40extralonglabel", 10000.02, 2.5, 1e-15),
                                test::makePeak("Ar36", 1234567.89, 1.0, 1e12)};
    grid.AttachPeaks({peaks[0], peaks[1]});
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("wide.pks"), 1));
    ASSERT_TRUE(save(std::nullopt));
    const std::vector<PeakRecord> saved = savedPeaks("wide.pks");
    ASSERT_EQ(saved.size(), 2u);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        EXPECT_EQ(saved[i].elem, peaks[i].elem);
        EXPECT_DOUBLE_EQ(saved[i].time, peaks[i].time);
        EXPECT_DOUBLE_EQ(saved[i].peakValue(), peaks[i].peakValue());
    }
}

TEST_F(SavePeakFileTest, RowsThatWouldBeLeftOutAreAskedForOnce) {
    const std::string question =
        "値のある2行は保存されません(最初は2行目: ラベルがない)。保存しますか？";
    const std::string datQuestion =
        "値のある3行は保存されません(最初は2行目: ラベルがない)。保存しますか？";
    grid.AttachPeaks({test::makePeak("40", 1, 1), test::makePeak("", 2, 2),
                      test::makePeak("Ar99", 3, 3), test::makePeak("", 0, 0, 0)});
    grid.appendEmptyRows(1); // typed into below: values but no label
    type(4, kTimeColumn, "00000005");
    const struct {
        int filter;
        const char* name;
        Answer answer;
        const std::string& question;
        std::vector<std::string> labels; // none: nothing written
    } cases[] = {{1, "rows.pks", Answer::Cancel, question, {}},
                 {1, "rows.pks", Answer::Yes, question, {"40", "Ar99"}},
                 {0, "rows.dat", Answer::Cancel, datQuestion, {}},
                 {0, "rows.dat", Answer::Yes, datQuestion, {"40"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        type(0, kHeightColumn, c.filter == 0 ? "2.000" : "3.000"); // the sheet changes
        ui.messages.clear();
        ui.answers = {c.answer};
        files.saveResults.push_back(ScriptedFilePort::chosen(folder.path(c.name), c.filter));
        std::filesystem::remove(folder.path(c.name));
        EXPECT_EQ(save(std::nullopt), c.answer == Answer::Yes);
        EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", c.question}}));
        EXPECT_EQ(grid.IsModified(), c.answer != Answer::Yes);
        if (c.labels.empty()) {
            EXPECT_FALSE(folder.exists(c.name));
            continue;
        }
        std::vector<std::string> labels;
        for (const PeakRecord& saved : savedPeaks(c.name)) {
            labels.push_back(saved.elem);
        }
        EXPECT_EQ(labels, c.labels);
    }
}

TEST_F(SavePeakFileTest, SaveAsGivesANameWithoutExtensionTheFormats) {
    loadCopy("argon_air.pks", "a.pks");
    const struct {
        const char* typed;
        std::size_t filter;
        const char* saved;
    } cases[] = {{"asc_saved", 1, "asc_saved.pks"},
                 {"plain", 0, "plain.dat"},
                 {"run.7", 1, "run.7"},
                 {"mixed.Pks", 1, "mixed.Pks"}};
    for (const auto& c : cases) {
        files.saveResults.push_back(ScriptedFilePort::chosen(folder.path(c.typed), c.filter));
        if (c.filter == 0) {
            grid.AttachPeaks({test::makePeak("40", 1, 1)});
        }
        ASSERT_TRUE(save(std::nullopt)) << c.typed;
        EXPECT_EQ(currentDataNote()->path, folder.path(c.saved));
        EXPECT_EQ(files.titles.back(), std::string("Tarnova - ") + c.saved);
    }
    EXPECT_EQ(folder.names(),
              (std::set<std::string>{"a.pks", "asc_saved.pks", "plain.dat", "run.7", "mixed.Pks"}));
    // The saved name opens again in its format.
    EXPECT_EQ(load(folder.path("asc_saved.pks")).kind, FileKind::Pks);
}

TEST_F(SavePeakFileTest, SaveRewritesALoadedNativeFileInItsFormat) {
    const std::string pks = loadCopy("argon_air.pks", "a.pks");
    typeLabel(0, "   Ar35");
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(
        folder.read("a.pks").starts_with("\"Sample:\",\"AS-12 air standard, pipette 3\"\r\n"));
    EXPECT_NE(folder.read("a.pks").find("\"Ar35\""), std::string::npos);
    EXPECT_FALSE(grid.IsModified());
    EXPECT_EQ(files.titles, (std::vector<std::string>{"Tarnova - a.pks"}));

    loadCopy("argon_air.dat", "b.dat");
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(folder.read("b.dat").starts_with("\"AS-12 air standard, pipette 3\",\"2026/11/24"));
    EXPECT_TRUE(files.saveRequests.empty());
    EXPECT_TRUE(ui.messages.empty());
}

// The peak of label at 1.72 s excluded by hand.
StoredReduction storedExclusion(const std::string& label = "Ar40") {
    StoredReduction reduction;
    reduction.exclusions = {{label, 172, ExclusionReason::Hand}};
    return reduction;
}

TEST_F(SavePeakFileTest, APksSaveStoresTheReductionAfterTheUsersComments) {
    loadCopy("argon_air.pks", "a.pks");
    const std::string original = folder.read("a.pks");
    // The user's comments stay in place, the entry follows them.
    currentDataNote()->tags.insert(currentDataNote()->tags.begin(),
                                   {std::string(kMethodTag), "Ar40 mean"});
    ASSERT_TRUE(
        SavePeakFile(ui, files, grid, settings, currentDataNote()->path, storedExclusion()));
    const std::string saved = folder.read("a.pks");
    const std::size_t peaks = original.find("  120,");
    ASSERT_NE(peaks, std::string::npos);
    EXPECT_EQ(saved, original.substr(0, peaks) + "\"#tarnova:excluded\",\"Ar40@1.72 hand\"\r\n" +
                         original.substr(peaks));
    EXPECT_EQ(StoredReductionOf(*currentDataNote()), storedExclusion());
    // Saved again without a reduction, the file is as it was.
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_EQ(folder.read("a.pks"), original);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SavePeakFileTest, ADatSaveWithAReductionAsksForPksOnce) {
    const struct {
        const char* name;
        Answer answer;
        bool saved;
        const char* file; // the file written, or none
    } cases[] = {{"as PKS", Answer::Yes, true, "a.pks"},
                 {"as DAT without", Answer::No, true, "a.dat"},
                 {"cancelled", Answer::Cancel, false, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReleaseDataNote();
        std::filesystem::remove_all(folder.path(""));
        std::filesystem::create_directories(folder.path(""));
        loadCopy("argon_air.dat", "a.dat");
        const std::string original = folder.read("a.dat");
        ui.messages.clear();
        ui.answers = {c.answer};
        EXPECT_EQ(
            SavePeakFile(ui, files, grid, settings, currentDataNote()->path, storedExclusion("40")),
            c.saved);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].text.find(folder.path("a.pks")), std::string::npos);
        if (c.answer != Answer::No) {
            EXPECT_EQ(folder.read("a.dat"), original);
        }
        if (c.file == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(folder.path("a.pks")));
            continue;
        }
        EXPECT_EQ(currentDataNote()->path, folder.path(c.file));
        const std::optional<PeakFileContent> pks = parsePksFile(folder.read("a.pks"));
        if (c.answer == Answer::Yes) {
            ASSERT_TRUE(pks);
            EXPECT_EQ(currentDataNote()->fileForm, DataNoteForm::Pks);
            EXPECT_EQ(StoredReductionOf(pks->note).exclusions,
                      (std::vector<StoredExclusion>{{"40", 172, ExclusionReason::Hand}}));
            EXPECT_EQ(pks->note.tags.front().tag, "Comments:");
        } else {
            EXPECT_TRUE(StoredReductionOf(*currentDataNote()).empty());
        }
    }
}

TEST(PksNameFor, ReplacesTheExtension) {
    const std::pair<const char*, const char*> cases[] = {{"/d/run.dat", "/d/run.pks"},
                                                         {"/d/RUN.DAT", "/d/RUN.PKS"},
                                                         {"/d/run", "/d/run.pks"},
                                                         {"/d.x/run", "/d.x/run.pks"},
                                                         {"/d/run.7.Dat", "/d/run.7.pks"}};
    for (const auto& [path, pks] : cases) {
        EXPECT_EQ(PksNameFor(path), pks) << path;
    }
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
    grid.AttachPeaks({test::makePeak("40", 0.29, 1.5, 1), test::makePeak("40", 0.29, 1.5, 1)});
    settings.generalFlags |= GeneralFlag::AddEof;
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("typed.dat"), 0));
    ASSERT_TRUE(save(std::nullopt));
    EXPECT_EQ(files.saveRequests[0].selectedFilter, 0u);
    EXPECT_EQ(files.saveRequests[0].initialName, "*.DAT");
    const std::string text = folder.read("typed.dat");
    EXPECT_TRUE(text.starts_with("\"unknown\",\"1970/01/01\"\r\n\"No comment\"\r\n"));
    EXPECT_TRUE(text.ends_with("40,0.290000,1.500000,1.000000\r\n\x1A"));
    ASSERT_TRUE(currentDataNote());
    EXPECT_EQ(currentDataNote()->form, DataNoteForm::Dat);
    EXPECT_EQ(currentDataNote()->path, folder.path("typed.dat"));
    // The next Save writes the empty texts of the new note.
    ASSERT_TRUE(save(currentDataNote()->path));
    EXPECT_TRUE(folder.read("typed.dat").starts_with("\"\",\"\"\r\n\"\"\r\n"));
    EXPECT_TRUE(parseDatFile(folder.read("typed.dat")));
}

TEST_F(SavePeakFileTest, FailuresLeaveModifiedMarkTitleAndPath) {
    loadCopy("argon_air.pks", "a.pks");
    type(0, kTimeColumn, "00009.99");
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("no/such/folder.pks"), 1));
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", kNotSaved}}));

    // Labels without numbers cannot be written as DAT.
    ui.messages.clear();
    files.saveResults.push_back(ScriptedFilePort::chosen(folder.path("a.dat"), 0));
    EXPECT_FALSE(save(std::nullopt));
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", kDatNeedsMassNumbers}}));
    EXPECT_FALSE(folder.exists("a.dat"));

    // A write that fails part way (the disk is full) leaves the file as it was.
    ui.messages.clear();
    const std::string before = folder.read("a.pks");
    {
        const test::FileSizeLimit limit(1000);
        EXPECT_FALSE(save(currentDataNote()->path));
    }
    EXPECT_EQ(ui.messages, (std::vector<RecordedMessage>{{"Tarnova", kNotSaved}}));
    EXPECT_EQ(folder.read("a.pks"), before);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.pks"}));
    EXPECT_TRUE(grid.IsModified());
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
