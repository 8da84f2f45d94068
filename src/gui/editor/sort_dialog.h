// The sort dialog "データの整列": a key from a drop-down list and the order.
#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QRadioButton;

namespace tarnova::gui {

class SortDialog final : public QDialog {
    Q_OBJECT
  public:
    // showHelp is called with the help context of the dialog; it may be empty.
    explicit SortDialog(QWidget* parent = nullptr, std::function<void(int)> showHelp = {});

    // The dialog's result as the sort operation reads it: 2 x key index + 1 for descending + 1,
    // or 0 when cancelled.
    int choose();

    QComboBox* keyList() const { return keys_; }
    QRadioButton* ascendingButton() const { return ascending_; }
    QRadioButton* descendingButton() const { return descending_; }

  private:
    void execute();

    QComboBox* keys_;
    QRadioButton* ascending_;
    QRadioButton* descending_;
    int choice_ = 0;
};

} // namespace tarnova::gui
