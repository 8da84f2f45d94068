// The Exclusions dialog "除外したピーク" (Edit -> Data Points -> Exclusions): every excluded
// peak of the measurement with its label, time, reason and the records it left; "コピー" and
// Ctrl+C copy the list as tab-separated text.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QTreeWidget;

namespace tarnova {
struct CalcState;
struct DataNote;
} // namespace tarnova

namespace tarnova::gui {

class ExclusionsDialog final : public QDialog {
    Q_OBJECT

  public:
    // note names the measurement in the copied text; showHelp opens a help context ("ヘルプ").
    ExclusionsDialog(const CalcState& calculation, const DataNote* note, QWidget* parent,
                     std::function<void(int)> showHelp);

    QTreeWidget* list() const { return list_; }
    // Puts the list on the clipboard as text.
    void copy();

  protected:
    // Ctrl+C copies the list, from the list or a button alike (they leave the key to the
    // dialog).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTreeWidget* list_;
    std::string text_; // the list as copied, code page 932
};

} // namespace tarnova::gui
