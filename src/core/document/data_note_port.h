// What editing and viewing the data note ask of the windows: the dialog that chooses the form of
// a new note, the DAT-form and PKS-form dialogs "コメントの編集" and the viewer "記載の表示". The
// rules of each dialog are in the core (data_note_editor.h); the port shows the controls and
// forwards what the user does. The GUI answers with Qt dialogs, the tests with a script.
#pragma once

#include "data/peak_sheet.h"

#include <functional>
#include <optional>
#include <string>

namespace tarnova {

class DataNoteViewer;
class PksNoteEditor;
struct DatNoteTexts;

class DataNotePort {
  public:
    virtual ~DataNotePort() = default;

    // "データ形式の決定": DAT (preset) or PKS for a new note; none when cancelled.
    virtual std::optional<DataNoteForm> chooseNoteForm() = 0;
    // The DAT-form dialog with the field texts of texts. On "OK" it copies its fields into
    // texts and calls confirm(texts); confirm shows its own message and returns false when the
    // dialog must stay open. Returns true when the dialog ended with a confirmed "OK".
    virtual bool runDatNoteDialog(DatNoteTexts& texts,
                                  const std::function<bool(const DatNoteTexts&)>& confirm) = 0;
    // The PKS-form dialog driven by editor. Returns true when it ended with "OK" (after
    // editor.finish) and false for "ｷｬﾝｾﾙ".
    virtual bool runPksNoteDialog(PksNoteEditor& editor) = 0;
    // The viewer driven by viewer; it closes when viewer.isOpen() turns false.
    virtual void runNoteViewer(DataNoteViewer& viewer) = 0;
};

} // namespace tarnova
