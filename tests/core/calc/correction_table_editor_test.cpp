#include "calc/correction_table_editor.h"

#include "calc/calc_state.h"
#include "calc/correction.h"
#include "core/support/log_capture.h"
#include "core/support/scripted_port.h"
#include "core/support/temp_folder.h"
#include "settings/ini_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace tarnova {
namespace {

using Strings = std::vector<std::string>;

class CorrectionEditor : public ::testing::Test {
  protected:
    test::TempFolder folder;
    std::string iniPath = folder.path("TARNOVA.INI");
    test::ScriptedPort ui;
    CorrectionTableEditor editor{iniPath, ui};

    void writeIni(const std::string& text) { folder.write("TARNOVA.INI", text); }
    std::string ini() const { return folder.read("TARNOVA.INI"); }
    Strings messageTexts() const {
        Strings texts;
        for (const auto& message : ui.messages) {
            EXPECT_EQ(message.caption, "Tarnova");
            texts.push_back(message.text);
        }
        return texts;
    }
};

// The acceptance case: a fresh INI of options gains the vocabulary and the set in its layout,
// every other byte unchanged.
TEST_F(CorrectionEditor, RegisterAndSaveOnAnIniOfOptions) {
    const std::string options = "[general]\r\naddeof=false\r\n[peakeditor]\r\ntime=8.5\r\n";
    writeIni(options);
    editor.open();
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", "295.5"));
    EXPECT_EQ(editor.interferingLabels(), Strings{"Ar36"});
    ASSERT_TRUE(editor.saveSet("AR"));
    EXPECT_FALSE(editor.isModified());
    EXPECT_EQ(ini(), "[general]\r\naddeof=false\r\ninterferance=1\r\n"
                     "[peakeditor]\r\ntime=8.5\r\n"
                     "[peaks]\r\nitem1=Ar40\r\nitems=2\r\nitem2=Ar36\r\n"
                     "[AR]\r\nitem1=Ar40,Ar36,295.5\r\n"
                     "[interferance]\r\nAR=1\r\n");

    // The correction step reads the set as it was saved.
    const std::optional<CorrectionSet> set = ReadCorrectionSet(iniPath, "AR");
    ASSERT_TRUE(set && set->items.size() == 1u);
    EXPECT_EQ(set->items[0].item->factor, 295.5);

    // Reopened: both label lists hold the vocabulary, known labels are not added again.
    CorrectionTableEditor again(iniPath, ui);
    again.open();
    EXPECT_EQ(again.correctedLabels(), (Strings{"Ar36", "Ar40"}));
    EXPECT_EQ(again.interferingLabels(), (Strings{"Ar36", "Ar40"}));
    const std::string saved = ini();
    ASSERT_TRUE(again.registerEntry("Ar36", "Ar40", "1"));
    EXPECT_EQ(ini(), saved);
}

// A refused entry or set name leaves the entry list and the file as they were.
TEST_F(CorrectionEditor, RefusedEntriesChangeNothing) {
    struct Row {
        const char* corrected;
        const char* interfering;
        const char* factor;
        const char* message;
    };
    const char* notPositive = "補正係数の値は正でなければなりません。";
    const Row rows[] = {
        {"", "Ar36", "1", "対象ピークのラベルが指定されていません。"},
        {"Ar40", "", "1", "妨害ピークのラベルが指定されていません。"},
        {"Ar40", "Ar,36", "1", "ラベルに,を含めることはできません。"},
        {"Ar\n40", "Ar36", "1", "ラベルに改行を含めることはできません。"},
        {"Ar40", "Ar36", "  ", "補正係数が指定されていません。"},
        {"Ar40", "Ar36", "0", notPositive},
        {"Ar40", "Ar36", "1e999", notPositive},
        {"Ar40", "Ar36", "nan", notPositive},
        {"Ar40", "Ar36", "2x", notPositive},
    };
    writeIni("[peaks]\r\nitems=1\r\nitem1=Ne20\r\n");
    const std::string before = ini();
    editor.open();
    for (const Row& row : rows) {
        ui.messages.clear();
        EXPECT_FALSE(editor.registerEntry(row.corrected, row.interfering, row.factor));
        EXPECT_EQ(messageTexts(), Strings{row.message}) << row.factor;
        EXPECT_TRUE(editor.entries().empty());
        EXPECT_TRUE(editor.isModified()); // a stopped registration counts as a change
    }
    EXPECT_EQ(ini(), before);

    // Blanks around a factor are allowed and not stored.
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", " 2.5e2 "));
    EXPECT_EQ(editor.entries(), Strings{"Ar40,Ar36,2.5e2"});
    const std::string registered = ini();

    const char* refusedName = "このセット名は使えません。設定ファイルの見出しと同じ名前、=、[、] を"
                              "含む名前、; で始まる名前、前後に空白のある名前は指定できません。";
    const struct {
        const char* name;
        const char* message;
    } names[] = {
        {"", "セット名が指定されていません。指定してください。"},
        {"INTERFERANCE", refusedName},
        {"a=b", refusedName},
        {"x]", refusedName},
        {";x", refusedName},
        {"x\t", refusedName},
    };
    for (const auto& name : names) {
        ui.messages.clear();
        EXPECT_FALSE(editor.saveSet(name.name));
        EXPECT_EQ(messageTexts(), Strings{name.message}) << name.name;
    }
    EXPECT_EQ(ini(), registered);
    EXPECT_TRUE(editor.isModified());
}

TEST_F(CorrectionEditor, DeletingAnItemAndSavingLeavesNoStaleItem) {
    writeIni("[general]\r\ninterferance=1\r\n[interferance]\r\nKr=3\r\n"
             "[Kr]\r\nitem1=Kr84,Ar36,1\r\nitem2=Kr86,Ar36,2\r\nitem3=Zn,Ar36,3\r\n");
    editor.open();
    editor.chooseSet("Kr");
    ASSERT_EQ(editor.entries(), (Strings{"Kr84,Ar36,1", "Kr86,Ar36,2", "Zn,Ar36,3"}));
    editor.deleteEntries({1});
    EXPECT_TRUE(editor.isModified());
    ASSERT_TRUE(editor.saveSet("Kr"));
    EXPECT_EQ(ini(), "[general]\r\ninterferance=1\r\n[interferance]\r\nKr=2\r\n"
                     "[Kr]\r\nitem1=Kr84,Ar36,1\r\nitem2=Zn,Ar36,3\r\n");
}

// Entries are kept, saved and applied in the order of their texts, ASCII letters compared
// without regard to case; the set list is sorted the same way.
TEST_F(CorrectionEditor, ListsAreSortedWithoutRegardToCase) {
    writeIni("[general]\r\ninterferance=3\r\n[interferance]\r\nzeta=1\r\nAlpha=1\r\nbeta=1\r\n");
    editor.open();
    EXPECT_EQ(editor.setNames(), (Strings{"Alpha", "beta", "zeta"}));
    for (const char* corrected : {"Zn", "b", "Ar40", "a"}) {
        ASSERT_TRUE(editor.registerEntry(corrected, "Ar36", "2"));
    }
    EXPECT_EQ(editor.entries(), (Strings{"a,Ar36,2", "Ar40,Ar36,2", "b,Ar36,2", "Zn,Ar36,2"}));
    ASSERT_TRUE(editor.saveSet("New"));
    const IniFile file = IniFile::load(iniPath);
    EXPECT_EQ(file.value("New", "item4"), "Zn,Ar36,2");
    EXPECT_EQ(editor.setNames(), (Strings{"Alpha", "beta", "New", "zeta"}));
}

// An empty list is never saved: no count is raised without a set name.
TEST_F(CorrectionEditor, EmptyListIsNotSaved) {
    writeIni(
        "[general]\r\ninterferance=1\r\n[interferance]\r\nKr=1\r\n[Kr]\r\nitem1=Kr84,Ar36,1\r\n");
    const std::string before = ini();
    editor.open();
    EXPECT_FALSE(editor.saveSet("New"));
    editor.chooseSet("Kr");
    editor.deleteEntries({0});
    EXPECT_FALSE(editor.saveSet("Kr"));
    EXPECT_EQ(messageTexts(), (Strings{"項目がありません。", "項目がありません。"}));
    EXPECT_EQ(ini(), before);
    EXPECT_FALSE(editor.isModified());
}

// A name longer than the 79 bytes the file gives back is refused, not stored cut short under a
// name that is then not found.
TEST_F(CorrectionEditor, SetNamesTheFileCannotGiveBackAreRefused) {
    editor.open();
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", "1"));
    const std::string before = ini();
    EXPECT_FALSE(editor.saveSet(std::string(80, 'S')));
    EXPECT_EQ(messageTexts(), Strings{"セット名が長すぎます。79バイト以内で指定してください。"});
    EXPECT_EQ(ini(), before);
    ASSERT_TRUE(editor.saveSet(std::string(79, 'S')));
    EXPECT_EQ(IniFile::load(iniPath).value("interferance", std::string(79, 'S')), "1");
}

// A set count without names opens with an empty set list; names are read whatever the count.
TEST_F(CorrectionEditor, DamagedIniOpensWithTheNamesItHolds) {
    test::LogCapture log;
    writeIni("[general]\r\ninterferance=2\r\n");
    editor.open();
    EXPECT_TRUE(editor.setNames().empty());
    EXPECT_THAT(log.lines(),
                ::testing::Contains("INI file break down for interferance peak correction."));
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", "1"));
    ASSERT_TRUE(editor.saveSet("AR"));
    EXPECT_EQ(IniFile::load(iniPath).value("general", "interferance"), "3");

    writeIni("[general]\r\ninterferance=0\r\n[interferance]\r\nA=1\r\nB=1\r\n");
    editor.open();
    EXPECT_EQ(editor.setNames(), (Strings{"A", "B"}));
}

// Items are read with the length the correction step reads; the count bounds nothing but the
// numbers taken.
TEST_F(CorrectionEditor, ChosenSetReadsWholeItemsUpToItsCount) {
    const std::string longFactor = "295.5" + std::string(100, '0');
    writeIni("[interferance]\r\nBig=2147483647\r\nTwo=2\r\nNone=0\r\n"
             "[Big]\r\nitem1=Ar40,Ar36," +
             longFactor + "\r\nitem3=Zn,Ar36,1\r\n" +
             "[Two]\r\nitem2=b,x,1\r\nitem1=a,x,1\r\nitem3=c,x,1\r\nITEM1=z,x,1\r\n");
    test::LogCapture log;
    editor.open();
    editor.chooseSet("Big");
    EXPECT_EQ(editor.entries(), (Strings{"Ar40,Ar36," + longFactor, "Zn,Ar36,1"}));
    EXPECT_THAT(log.lines(), ::testing::IsSupersetOf({"SELENDOK of CORRECTIONSET", "Big"}));
    ASSERT_TRUE(editor.saveSet("Big"));
    EXPECT_EQ(IniFile::load(iniPath).value("Big", "item1"), "Ar40,Ar36," + longFactor);
    EXPECT_EQ(IniFile::load(iniPath).value("Big", "item3"), std::nullopt);

    editor.chooseSet("two");
    EXPECT_EQ(editor.entries(), (Strings{"a,x,1", "b,x,1"}));
    editor.chooseSet("None"); // no count: the list stays
    editor.chooseSet("Missing");
    EXPECT_EQ(editor.entries(), (Strings{"a,x,1", "b,x,1"}));
}

// 28 ASCII bytes and a double-byte character: the character does not fit the 29 bytes of a label.
TEST_F(CorrectionEditor, LabelsAreCutAtTwentyNineBytes) {
    editor.open();
    ASSERT_TRUE(editor.registerEntry(std::string(28, 'L') + "\x83\x41", "Ar36", "1"));
    EXPECT_EQ(editor.entries(), Strings{std::string(28, 'L') + ",Ar36,1"});
}

TEST_F(CorrectionEditor, ChangesAreDiscardedOnlyWhenTheUserAgrees) {
    editor.open();
    EXPECT_TRUE(editor.mayDiscardChanges());
    editor.deleteEntries({});
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(editor.mayDiscardChanges());
    EXPECT_TRUE(editor.mayDiscardChanges());
    EXPECT_EQ(ui.messages.size(), 2u);
}

// A file that cannot be written is reported with its path; the editor stays modified.
TEST_F(CorrectionEditor, WriteFailuresAreReported) {
    const std::string folderPath = folder.path("TARNOVA.INI");
    std::filesystem::create_directory(folderPath);
    editor.open();
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", "1"));
    EXPECT_TRUE(editor.correctedLabels().empty());
    EXPECT_FALSE(editor.saveSet("AR"));
    const std::string failure =
        "設定ファイルに書き込めませんでした(not a regular file)。\n" + folderPath;
    EXPECT_EQ(messageTexts(), (Strings{failure, failure}));
    EXPECT_TRUE(editor.isModified());
}

// Two processes: each write starts from the file on disk, so neither loses the other's set.
TEST_F(CorrectionEditor, EachSaveStartsFromTheFileOnDisk) {
    CorrectionTableEditor other(iniPath, ui);
    editor.open();
    other.open();
    ASSERT_TRUE(editor.registerEntry("Ar40", "Ar36", "1"));
    ASSERT_TRUE(other.registerEntry("Kr84", "Ar36", "2"));
    ASSERT_TRUE(editor.saveSet("A"));
    ASSERT_TRUE(other.saveSet("B"));
    const IniFile file = IniFile::load(iniPath);
    EXPECT_EQ(file.keyNames("interferance"), (Strings{"A", "B"}));
    EXPECT_EQ(file.value("peaks", "items"), "3");
}

} // namespace
} // namespace tarnova
