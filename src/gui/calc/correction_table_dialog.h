// The correction table editor "妨害ピーク補正テーブルの編集": the two label drop-downs, the
// factor, "登録", the entry list with "削除", the set drop-down with "設定を保存", OK and
// "ｷｬﾝｾﾙ". Every rule and every write of TARNOVA.INI is the core's CorrectionTableEditor; the
// dialog shows its lists.
#pragma once

#include "calc/correction_table_editor.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace tarnova::gui {

class GuardedComboBox;

class CorrectionTableDialog final : public QDialog {
    Q_OBJECT
  public:
    // Opens the editor on the INI file at iniPath; messages and questions go to ui.
    CorrectionTableDialog(QWidget* parent, const std::string& iniPath, UserInterfacePort& ui);

    const CorrectionTableEditor& editor() const { return editor_; }
    QComboBox* interferingField() const { return interfering_; }
    QComboBox* correctedField() const { return corrected_; }
    QLineEdit* factorField() const { return factor_; }
    QListWidget* entryList() const { return entries_; }
    QComboBox* setField() const;

    void done(int result) override;

  private:
    void registerEntry();
    void deleteEntries();
    void saveSet();
    void chooseSet(int index);
    void showLists();

    CorrectionTableEditor editor_;
    QComboBox* interfering_;
    QComboBox* corrected_;
    QLineEdit* factor_;
    QListWidget* entries_;
    GuardedComboBox* sets_;
};

} // namespace tarnova::gui
