#include "document/data_note_editor.h"

#include "core/support/scripted_port.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <functional>

namespace tarnova {
namespace {

using Strings = std::vector<std::string>;

// A data note port for tests: each dialog runs a script.
class ScriptedNotePort : public DataNotePort {
  public:
    std::optional<DataNoteForm> form;
    std::function<bool(DatNoteTexts&, const std::function<bool(const DatNoteTexts&)>&)> dat;
    std::function<bool(PksNoteEditor&)> pks;
    std::function<void(DataNoteViewer&)> viewer;
    int formQuestions = 0;

    std::optional<DataNoteForm> chooseNoteForm() override {
        ++formQuestions;
        return form;
    }
    bool runDatNoteDialog(DatNoteTexts& texts,
                          const std::function<bool(const DatNoteTexts&)>& confirm) override {
        return dat && dat(texts, confirm);
    }
    bool runPksNoteDialog(PksNoteEditor& editor) override { return pks && pks(editor); }
    void runNoteViewer(DataNoteViewer& shown) override {
        if (viewer) {
            viewer(shown);
        }
    }
};

DataNote pksNote() {
    DataNote note;
    note.form = DataNoteForm::Pks;
    note.path = "/data/run.pks";
    note.tags = {{"Sample", "AS-12"}, {"Date", "2024/5/1"}, {"Comment", "air"}};
    return note;
}

Strings tagsOf(const std::vector<TaggedComment>& comments) {
    Strings tags;
    for (const TaggedComment& comment : comments) {
        tags.push_back(comment.tag);
    }
    return tags;
}

class DataNoteEditing : public ::testing::Test {
  protected:
    test::ScriptedPort ui;
    ScriptedNotePort port;
    ~DataNoteEditing() override { ReleaseDataNote(); }
};

TEST(DatNoteTexts, FieldsAsTheDialogShowsThem) {
    DataNote note;
    note.name = "AS-12";
    note.spikeId = 42;
    note.spikeVolume = 1.23456789e-8;
    note.spikeError = 0.0;
    note.weight = 0.123456;
    EXPECT_EQ(DatNoteFieldTexts(note),
              (DatNoteTexts{"AS-12", "", "42", "1.2346E-008", "0.0000E+000", "0.1235", ""}));
}

TEST_F(DataNoteEditing, DatNumbersReadAsTheirPatternsOrAreRefused) {
    struct Row {
        const char* spikeId;
        const char* spikeVolume;
        const char* weight;
        const char* message; // empty: accepted
        std::int32_t id;
    };
    const Row rows[] = {
        {"12a", "1e-8", "0.5", "", 12},
        {"2147483647", "1e-8", "0.5", "", 2147483647},
        {"abc", "1e-8", "0.5", "スパイク番号は非負の整数です。", 7},
        {"-1", "1e-8", "0.5", "スパイク番号は非負の整数です。", 7},
        {"2147483648", "1e-8", "0.5", "スパイク番号は非負の整数です。", 7},
        {"8", "x", "0.5", "スパイク量は数値です。", 8},
        {"8", "1e-8", "g", "サンプル重量は数値です。", 8},
    };
    for (const Row& row : rows) {
        DataNote note;
        note.spikeId = 7;
        note.spikeVolume = 2.0;
        const DatNoteTexts shown = DatNoteFieldTexts(note);
        DatNoteTexts entered = shown;
        entered.name = "new name";
        entered.spikeId = row.spikeId;
        entered.spikeVolume = row.spikeVolume;
        entered.weight = row.weight;
        ui.messages.clear();
        const bool accepted = ConfirmDatNote(note, shown, entered, ui);
        EXPECT_EQ(accepted, std::string(row.message).empty()) << row.spikeId;
        EXPECT_EQ(note.spikeId, row.id) << row.spikeId;
        EXPECT_EQ(note.name, "new name"); // the texts are taken first
        if (!accepted) {
            EXPECT_EQ(ui.messages, (std::vector<test::RecordedMessage>{{"Tarnova", row.message}}));
        }
    }
}

// Only fields whose text changed are stored: a spike amount the user did not touch keeps every
// digit, not the four decimals of its display.
TEST_F(DataNoteEditing, UntouchedNumbersKeepTheirDigits) {
    DataNote note;
    note.spikeVolume = 1.23456789e-8;
    note.weight = 0.123456;
    note.name = std::string("\xff\xfe", 2); // bytes that are no text stay as they are
    const DatNoteTexts shown = DatNoteFieldTexts(note);
    DatNoteTexts entered = shown;
    entered.spikeError = "2.5E-010";
    ASSERT_TRUE(ConfirmDatNote(note, shown, entered, ui));
    EXPECT_EQ(note.spikeVolume, 1.23456789e-8);
    EXPECT_EQ(note.weight, 0.123456);
    EXPECT_EQ(note.spikeError, 2.5e-10);
    EXPECT_EQ(note.name, std::string("\xff\xfe", 2));

    // Texts are cut to their byte limits without splitting a double-byte character.
    entered.date = std::string(78, 'd') + "\x83\x41";
    entered.comment = std::string(300, 'c');
    ASSERT_TRUE(ConfirmDatNote(note, shown, entered, ui));
    EXPECT_EQ(note.date, std::string(78, 'd'));
    EXPECT_EQ(note.comment, std::string(255, 'c'));
}

TEST_F(DataNoteEditing, NewNoteOfTheChosenFormOnlyOnOk) {
    port.form = std::nullopt;
    EXPECT_FALSE(EditDataNote(port, ui, {}));
    EXPECT_FALSE(currentDataNote());

    port.form = DataNoteForm::Dat;
    port.dat = [](DatNoteTexts& texts, const auto& confirm) {
        texts.name = "AS-13";
        return confirm(texts);
    };
    EXPECT_TRUE(EditDataNote(port, ui, {}));
    ASSERT_TRUE(currentDataNote());
    EXPECT_EQ(currentDataNote()->form, DataNoteForm::Dat);
    EXPECT_EQ(currentDataNote()->name, "AS-13");
    EXPECT_FALSE(currentDataNote()->path);

    // With a note the form is not asked; a cancelled dialog changes nothing.
    port.dat = [](DatNoteTexts& texts, const auto&) {
        texts.name = "changed";
        return false;
    };
    EXPECT_FALSE(EditDataNote(port, ui, {}));
    EXPECT_EQ(currentDataNote()->name, "AS-13");
    EXPECT_EQ(port.formQuestions, 2);

    // A refused number keeps the dialog open; the next press is taken.
    port.dat = [](DatNoteTexts& texts, const auto& confirm) {
        texts.spikeId = "abc";
        if (confirm(texts)) {
            return true;
        }
        texts.spikeId = "5";
        return confirm(texts);
    };
    EXPECT_TRUE(EditDataNote(port, ui, {}));
    EXPECT_EQ(currentDataNote()->spikeId, 5);
}

TEST_F(DataNoteEditing, PksDialogTagsAndBodies) {
    InstallDataNote(pksNote());
    port.pks = [this](PksNoteEditor& editor) {
        EXPECT_EQ(editor.shown(), 0);
        EXPECT_EQ(editor.shownBody(), "AS-12");
        EXPECT_TRUE(editor.choose(1, "AS-12 edited"));
        EXPECT_EQ(editor.shownBody(), "2024/5/1");
        // Deleting the middle one shows the third, whose body is unchanged.
        EXPECT_TRUE(editor.deleteShown());
        EXPECT_EQ(editor.shown(), 1);
        EXPECT_EQ(editor.shownBody(), "air");
        editor.changeTag(""); // nothing
        editor.changeTag("Remark");
        EXPECT_TRUE(editor.newComment("", "air\r\nand\nmore"));
        EXPECT_EQ(ui.messages.back(), (test::RecordedMessage{"Check", "No tag for new comment."}));
        EXPECT_EQ(editor.shownBody(), "");
        editor.finish(std::string(300, 'x'));
        EXPECT_EQ(editor.shown(), -1);
        return true;
    };
    EXPECT_TRUE(EditDataNote(port, ui, {}));
    const DataNote& note = *currentDataNote();
    EXPECT_EQ(tagsOf(note.tags), (Strings{"Sample", "Remark", "Comment"}));
    EXPECT_EQ(note.tags[0].text, "AS-12 edited");
    EXPECT_EQ(note.tags[1].text, "air and more"); // one header line per comment
    EXPECT_EQ(note.tags[2].text, std::string(255, 'x'));
    EXPECT_EQ(note.path, "/data/run.pks");
}

TEST_F(DataNoteEditing, CancelledPksDialogLeavesTheNote) {
    InstallDataNote(pksNote());
    port.pks = [](PksNoteEditor& editor) {
        editor.deleteShown();
        editor.deleteShown();
        editor.deleteShown();
        EXPECT_EQ(editor.shown(), -1);
        EXPECT_FALSE(editor.deleteShown());
        editor.changeTag("x"); // nothing is shown: nothing happens
        editor.cancel();
        return false;
    };
    EXPECT_FALSE(EditDataNote(port, ui, {}));
    EXPECT_EQ(tagsOf(currentDataNote()->tags), (Strings{"Sample", "Date", "Comment"}));

    // Deleting the only comment empties the pane; OK stores a note without comments.
    DataNote single = pksNote();
    single.tags.resize(1);
    InstallDataNote(single);
    port.pks = [](PksNoteEditor& editor) {
        EXPECT_TRUE(editor.deleteShown());
        EXPECT_EQ(editor.shownBody(), "");
        editor.finish("typed into no comment");
        return true;
    };
    EXPECT_TRUE(EditDataNote(port, ui, {}));
    EXPECT_TRUE(currentDataNote()->tags.empty());
}

TEST_F(DataNoteEditing, DeleteAsksWhenTheOptionSaysSo) {
    std::vector<TaggedComment> comments = pksNote().tags;
    PksNoteEditor editor(comments, ui, true);
    editor.open();
    ui.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(editor.deleteShown());
    EXPECT_EQ(comments.size(), 3u);
    EXPECT_TRUE(editor.deleteShown());
    EXPECT_EQ(tagsOf(comments), (Strings{"Date", "Comment"}));
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_TRUE(ui.messages[0].text.starts_with("コメントを削除します。"));
}

TEST_F(DataNoteEditing, DropDownSelectsTheFirstMatchingTagOrAsks) {
    std::vector<TaggedComment> comments = pksNote().tags;
    PksNoteEditor editor(comments, ui, false);
    editor.open();
    PksNoteEditor::DropDownOpening opening = editor.dropDownOpening("Da", "pane");
    EXPECT_TRUE(opening.open);
    EXPECT_EQ(opening.select, 1);
    EXPECT_EQ(editor.dropDownOpening("", "pane").select, -1);
    EXPECT_TRUE(editor.dropDownOpening("da", "pane").open == false);     // case-sensitive: asks
    EXPECT_EQ(tagsOf(comments), (Strings{"Sample", "Date", "Comment"})); // Cancel: nothing

    EXPECT_FALSE(editor.dropDownOpening("X", "pane").tagsChanged); // Cancel again

    ui.answers = {Answer::Yes};
    opening = editor.dropDownOpening("Xe", "pane");
    EXPECT_FALSE(opening.open);
    EXPECT_TRUE(opening.tagsChanged);
    EXPECT_FALSE(opening.paneReplaced);
    EXPECT_EQ(tagsOf(comments), (Strings{"Xe", "Date", "Comment"}));
    EXPECT_EQ(comments[0].text, "AS-12"); // renaming does not store the pane

    ui.answers = {Answer::No};
    opening = editor.dropDownOpening("Kr", "pane");
    EXPECT_TRUE(opening.tagsChanged);
    EXPECT_TRUE(opening.paneReplaced);
    EXPECT_EQ(tagsOf(comments), (Strings{"Xe", "Date", "Comment", "Kr"}));
    EXPECT_EQ(comments[0].text, "pane");
    EXPECT_EQ(editor.shown(), 3);
    EXPECT_TRUE(ui.messages[2].text.starts_with("入力された文字列に当てはまるタグ"));

    // Tags are cut at 29 bytes.
    editor.changeTag(std::string(40, 't'));
    EXPECT_EQ(comments[3].tag, std::string(29, 't'));
}

TEST_F(DataNoteEditing, ViewerKeysAndValues) {
    EXPECT_FALSE(ShowDataNote(port, ui, {}));
    EXPECT_EQ(ui.messages.back(), (test::RecordedMessage{"Tarnova", "記載事項はありません。"}));

    DataNote dat;
    dat.name = "AS-12";
    dat.spikeId = 3;
    dat.spikeVolume = 1.5e-8;
    dat.weight = 0.25;
    dat.date = "2024/5/1";
    dat.comment = "air";
    InstallDataNote(dat);
    Strings values;
    port.viewer = [&](DataNoteViewer& viewer) {
        EXPECT_EQ(viewer.keys(), (Strings{"NAME", "SPIKEID", "SPIKEVOL", "SPIKEERROR", "WEIGHT",
                                          "DATE", "COMMENT"}));
        for (std::size_t key = 0; key < viewer.keys().size(); ++key) {
            values.push_back(viewer.value(key));
        }
    };
    EXPECT_TRUE(ShowDataNote(port, ui, {}));
    EXPECT_EQ(values, (Strings{"AS-12", "3", "1.5E-008", "0", "0.25", "2024/5/1", "air"}));

    // "編集" shows the new note; a PKS note without comments closes the viewer.
    InstallDataNote(pksNote());
    port.pks = [](PksNoteEditor& editor) {
        while (editor.deleteShown()) {
        }
        editor.finish("");
        return true;
    };
    bool closedAfterEdit = false;
    port.viewer = [&](DataNoteViewer& viewer) {
        EXPECT_EQ(viewer.keys(), (Strings{"Sample", "Date", "Comment"}));
        EXPECT_EQ(viewer.value(2), "air");
        EXPECT_TRUE(viewer.edit());
        closedAfterEdit = !viewer.isOpen();
    };
    EXPECT_TRUE(ShowDataNote(port, ui, {}));
    EXPECT_TRUE(closedAfterEdit);

    int shown = 0;
    port.viewer = [&](DataNoteViewer&) { ++shown; };
    EXPECT_TRUE(ShowDataNote(port, ui, {}));
    EXPECT_EQ(shown, 0);
}

} // namespace
} // namespace tarnova
