// The dialog that puts a data file of undecided format before the user: its path, its whole
// text for repair by hand, and the choice of the reader (DAT, PKS, or the third choice that is
// read as PKS).
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace tarnova::gui {

class FormatDecisionDialog final : public QDialog {
    Q_OBJECT
  public:
    // path is UTF-8; contents are the file's bytes as stored (code page 932 text).
    FormatDecisionDialog(QWidget* parent, const std::string& path, const std::string& contents);

    // 1 DAT, 2 PKS, 3 the third choice; 0 when none is selected.
    int chosenFormat() const;
    // The path as the field holds it (UTF-8).
    std::string path() const;
    // The text to write back: the file's own bytes when the text was not touched, else the
    // edited text in code page 932.
    std::string contents() const;

    QLineEdit* pathField() const { return path_; }
    QPlainTextEdit* textField() const { return text_; }
    QRadioButton* choice(int format) const;

  private:
    QLineEdit* path_;
    QPlainTextEdit* text_;
    QRadioButton* dat_;
    QRadioButton* pks_;
    QRadioButton* pksOther_;
    std::string original_;
    QString shown_; // the text as first shown, to tell whether it was edited
};

} // namespace tarnova::gui
