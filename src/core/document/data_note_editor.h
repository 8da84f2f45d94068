// The data note's editor and viewer: the DAT-form dialog, the PKS-form dialog with its tagged
// comments, and the read-only viewer "記載の表示". The editor always works on a copy of
// currentDataNote, which replaces the note only when the dialog ends with OK.
//
// Texts are code page 932 bytes; their limits count bytes and never split a double-byte
// character.
#pragma once

#include "data/peak_sheet.h"
#include "document/data_note_port.h"
#include "platform/user_interface_port.h"
#include "settings/settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

// The fields of the DAT-form dialog as texts: NAME, DATE and COMMENT as the note holds them,
// SPIKEID as "%d", SPIKEVOL and SPIKEERROR as "%.4E", WEIGHT as "%.4G".
struct DatNoteTexts {
    std::string name;
    std::string date;
    std::string spikeId;
    std::string spikeVolume;
    std::string spikeError;
    std::string weight;
    std::string comment;
    bool operator==(const DatNoteTexts&) const = default;
};

DatNoteTexts DatNoteFieldTexts(const DataNote& note);

// "OK" of the DAT-form dialog: takes the fields whose text differs from shown into note, the
// three texts first, then SPIKEID, SPIKEVOL, SPIKEERROR and WEIGHT, each stored as soon as it
// reads. The first number that does not read is shown with its message and false is returned
// (the dialog stays open). A number the user did not touch is kept as it is, not as its
// rounded display.
bool ConfirmDatNote(DataNote& note, const DatNoteTexts& shown, const DatNoteTexts& entered,
                    UserInterfacePort& ui);

// The PKS-form dialog: the tag list (in stored order), the comment whose body the body pane
// shows, and the buttons. Every operation that takes the pane's text first saves it into the
// shown comment; those that return true have put another body into the pane (shownBody()).
class PksNoteEditor final {
  public:
    // comments is the working copy's list; warnBeforeDelete is the option warncmntrmv.
    PksNoteEditor(std::vector<TaggedComment>& comments, UserInterfacePort& ui,
                  bool warnBeforeDelete);

    const std::vector<TaggedComment>& comments() const { return comments_; }
    // The index of the comment shown in the body pane (and selected in the tag list), or -1.
    int shown() const { return shown_; }
    // The body the pane shows: the shown comment's, empty when none is shown.
    std::string shownBody() const;

    // Opening: the first comment, when there is one, is shown.
    void open();
    // A tag chosen from the list.
    bool choose(int index, std::string_view pane);

    struct DropDownOpening {
        bool open = true;          // false: the list stays closed
        int select = -1;           // the item to select in the opened list, -1 for none
        bool tagsChanged = false;  // a tag was renamed or a comment made
        bool paneReplaced = false; // a new comment was made and is shown
    };
    // The drop-down list is about to open while the tag field holds field: the first tag that
    // begins with it is selected, or, when none does, the user is asked whether to rename the
    // shown comment, make a new one or do nothing; the list then stays closed.
    DropDownOpening dropDownOpening(std::string_view field, std::string_view pane);
    // "タグ変更": the shown comment's tag becomes field (nothing happens for an empty field or
    // when no comment is shown).
    void changeTag(std::string_view field);
    // "新規": a new comment tagged field ("Comment", after a message, for an empty field) with
    // an empty body is appended and shown.
    bool newComment(std::string_view field, std::string_view pane);
    // "削除": removes the shown comment (after the question when warnBeforeDelete) and shows
    // the one now at its place, or the last one. Its body and the pane's text are discarded.
    bool deleteShown();
    // "OK": saves the pane into the shown comment; no comment is shown afterwards.
    void finish(std::string_view pane);
    // "ｷｬﾝｾﾙ".
    void cancel() { shown_ = -1; }

  private:
    void savePane(std::string_view pane);

    std::vector<TaggedComment>& comments_;
    UserInterfacePort& ui_;
    bool warnBeforeDelete_;
    int shown_ = -1;
};

// The viewer "記載の表示" of currentDataNote: its keys and their values. Its "編集" runs the
// editor and shows the new note.
class DataNoteViewer final {
  public:
    DataNoteViewer(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags);

    // False once the viewer must close: a note of the PKS form without comments.
    bool isOpen() const { return open_; }
    // The keys in their order: NAME, SPIKEID, SPIKEVOL, SPIKEERROR, WEIGHT, DATE, COMMENT for
    // the DAT form, the tags for the PKS form.
    const std::vector<std::string>& keys() const { return keys_; }
    // The value of key i: texts as they are, SPIKEID "%d", the three numbers "%G", a tag's body.
    std::string value(std::size_t key) const;
    // "編集": true when the note was replaced; the keys are then those of the new note.
    bool edit();

  private:
    void fill();

    DataNotePort& port_;
    UserInterfacePort& ui_;
    GeneralFlags generalFlags_;
    std::vector<std::string> keys_;
    bool open_ = true;
};

// Edits currentDataNote (a new one of the form the user chooses when there is none). True when
// the note was replaced, false when it was left as it was. generalFlags holds warncmntrmv.
bool EditDataNote(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags);
// Shows the viewer and answers true; without a note the message "記載事項はありません。" and
// false.
bool ShowDataNote(DataNotePort& port, UserInterfacePort& ui, GeneralFlags generalFlags);

} // namespace tarnova
