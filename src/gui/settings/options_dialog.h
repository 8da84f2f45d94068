// The options sheet "Tarnovaのオプション": seven pages in a tab widget, OK, "ｷｬﾝｾﾙ" and one
// "ヘルプ" button that opens the help of the page on top. The working copies, the read-back of
// each page and its refusals are the core's OptionsSheet; the pages only show its values.
#pragma once

#include "settings/options_sheet.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace tarnova::gui {

class OutlierFilterFields;

class OptionsDialog final : public QDialog {
    Q_OBJECT
  public:
    // Working copies of settings and formats; messages go to ui, help requests to showHelp.
    OptionsDialog(QWidget* parent, const Settings& settings, const ColumnFormats& formats,
                  UserInterfacePort& ui, std::function<void(int)> showHelp);

    const OptionsSheet& sheet() const { return sheet_; }
    QTabWidget* pages() const { return pages_; }
    // The check boxes (or the first radio button of a pair) of page, in the core's order.
    std::vector<QAbstractButton*> flagButtons(OptionsPage page) const;
    QLineEdit* directoryField() const { return directory_; }
    QAbstractButton* browseButton() const { return browse_; }
    QRadioButton* arrangementButton(WindowArrangement arrangement) const;
    QLineEdit* widthField(int column) const { return widths_[static_cast<std::size_t>(column)]; }
    QLineEdit* decimalsField(int column) const {
        return decimals_[static_cast<std::size_t>(column)];
    }
    QLineEdit* testLevelField() const { return testLevel_; }
    QComboBox* methodField() const { return method_; }
    OutlierFilterFields* filterFields() const { return filter_; }

    void done(int result) override;

  private:
    // A check box, or a pair of radio buttons of which on stands for the bit set.
    struct FlagControl {
        QAbstractButton* on = nullptr;
        QAbstractButton* off = nullptr;
    };
    QWidget* generalPage();
    QWidget* dataEditorPage();
    QWidget* regressionPage();
    QWidget* resultOutputPage();
    QWidget* outputPage(OptionsPage page);
    QWidget* reportPage();
    QAbstractButton* addFlag(OptionsPage page, const char* label);
    void addRadioFlag(OptionsPage page, QRadioButton* on, QRadioButton* off);
    void browseFolder();
    void showPage(int index);
    void fillPage(OptionsPage page, const OptionsPageValues& values);
    OptionsPageValues pageValues(OptionsPage page) const;
    OptionsPage currentPage() const;
    // Shows the page of a field the sheet refused and puts the cursor into it.
    void showField(const RefusedField& field);

    OptionsSheet sheet_;
    QTabWidget* pages_;
    std::array<std::vector<FlagControl>, kOptionsPageCount> flags_;
    QLineEdit* directory_ = nullptr;
    QAbstractButton* browse_ = nullptr;
    std::array<QRadioButton*, 3> arrangements_{};
    std::array<QLineEdit*, kGridColumnCount> widths_{};
    std::array<QLineEdit*, kGridColumnCount> decimals_{};
    QLineEdit* testLevel_ = nullptr;
    QComboBox* method_ = nullptr;
    OutlierFilterFields* filter_ = nullptr;
    int shownPage_ = -1;
};

} // namespace tarnova::gui
