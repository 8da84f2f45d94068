// The dialogs of the data note: "データ形式の決定" (the form of a new note), the DAT-form and
// the PKS-form "コメントの編集", and the viewer "記載の表示". The rules are the core's
// (document/data_note_editor.h); the dialogs show the note's texts and forward each action.
#pragma once

#include "document/data_note_editor.h"
#include "gui/platform/cp932_text.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tarnova::gui {

using ShowHelpFunction = std::function<void(int)>;

class NoteFormDialog final : public QDialog {
    Q_OBJECT
  public:
    NoteFormDialog(QWidget* parent, const ShowHelpFunction& showHelp);
    DataNoteForm chosenForm() const;
    QRadioButton* datButton() const { return dat_; }
    QRadioButton* pksButton() const { return pks_; }

  private:
    QRadioButton* dat_;
    QRadioButton* pks_;
};

class DatNoteDialog final : public QDialog {
    Q_OBJECT
  public:
    // The fields show texts; "OK" copies them back and closes when confirm agrees.
    DatNoteDialog(QWidget* parent, DatNoteTexts& texts,
                  std::function<bool(const DatNoteTexts&)> confirm,
                  const ShowHelpFunction& showHelp);
    // The fields in the order NAME, DATE, SPIKEID, SPIKEVOL, SPIKEERROR, WEIGHT, COMMENT.
    QLineEdit* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

  private:
    void confirmFields();

    DatNoteTexts& texts_;
    std::function<bool(const DatNoteTexts&)> confirm_;
    std::array<QLineEdit*, 7> fields_{};
    std::array<Cp932Text, 7> shown_;
};

class PksNoteDialog final : public QDialog {
    Q_OBJECT
  public:
    PksNoteDialog(QWidget* parent, PksNoteEditor& editor, const ShowHelpFunction& showHelp);
    QComboBox* tagField() const;
    QPlainTextEdit* bodyPane() const { return body_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* changeTagButton() const { return changeTag_; }
    QPushButton* newButton() const { return new_; }

    void done(int result) override;

  private:
    // The tag list as the editor holds it, the shown comment selected; with showBody the body
    // pane shows the shown comment's body.
    void showComments(bool showBody);
    std::string paneBytes() const;
    std::string fieldBytes() const;

    PksNoteEditor& editor_;
    GuardedComboBox* tags_;
    QPlainTextEdit* body_;
    QPushButton* delete_;
    QPushButton* changeTag_;
    QPushButton* new_;
    Cp932Text shownBody_;
};

class DataNoteViewerDialog final : public QDialog {
    Q_OBJECT
  public:
    DataNoteViewerDialog(QWidget* parent, DataNoteViewer& viewer, const ShowHelpFunction& showHelp);
    QComboBox* keyList() const { return keys_; }
    QPlainTextEdit* valueField() const { return value_; }
    QPushButton* editButton() const { return edit_; }

  private:
    void showKeys();
    void showValue(int key);

    DataNoteViewer& viewer_;
    QComboBox* keys_;
    QPlainTextEdit* value_;
    QPushButton* edit_;
};

} // namespace tarnova::gui
