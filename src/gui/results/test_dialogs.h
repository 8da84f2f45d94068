// The tests of one result sheet at a level the user types: "相関のt検定" (is r = 0?) and
// "回帰式の検定" (is the slope a = 0?). They show the sheet's statistics and, after "再計算",
// the percentage point and the verdict; the sheet is not changed.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tarnova {
struct RegressionResult;
class UserInterfacePort;
} // namespace tarnova

namespace tarnova::gui {

enum class SheetTest { Correlation, Slope };

class SheetTestDialog final : public QDialog {
    Q_OBJECT

  public:
    // The dialog of test on record, which must be testable (see OpenSheetTest).
    SheetTestDialog(SheetTest test, const RegressionResult& record, QWidget* parent,
                    std::function<void(int)> showHelp);

    // "再計算": the percentage point and the verdict at the level typed.
    void recalculate();

    QLineEdit* levelField() const { return level_; }
    QPushButton* recalculateButton() const { return recalculate_; }
    // The read-only field labelled label ("標本数", "自由度", "パーセント点", ...), or none.
    QLineEdit* field(const QString& label) const;
    QString verdict() const;

  private:
    QLineEdit* addField(QFormLayout* form, const char* label, const std::string& text);

    SheetTest test_;
    double statistic_;
    int activeCount_;
    QLineEdit* level_;
    QLineEdit* percentagePoint_ = nullptr;
    QPushButton* recalculate_ = nullptr;
    QPlainTextEdit* verdict_;
};

// Opens the test on record (none: no sheet) as a modal dialog; a record that cannot be tested
// is refused with its message (caption "Tarnova"). Returns 1 when the dialog was shown.
int OpenSheetTest(SheetTest test, const RegressionResult* record, QWidget* parent,
                  UserInterfacePort& ui, const std::function<void(int)>& showHelp);

} // namespace tarnova::gui
