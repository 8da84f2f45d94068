// The dialog "プリンタの選択": the printers in a drop-down list under "現在のプリンタ", the
// default one selected; "設定" opens the properties of the printer the list shows.
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <optional>

class QComboBox;
class QPushButton;

namespace tarnova::gui {

class PrinterSelectionDialog final : public QDialog {
    Q_OBJECT
  public:
    // openProperties is called with the name the list shows; showHelp with the help context.
    PrinterSelectionDialog(const QStringList& names, std::optional<std::size_t> defaultEntry,
                           std::function<void(const QString&)> openProperties,
                           std::function<void(int)> showHelp, QWidget* parent = nullptr);

    // The chosen entry; none for "ｷｬﾝｾﾙ".
    std::optional<std::size_t> choose();

    QComboBox* printerList() const { return list_; }
    QPushButton* propertiesButton() const { return properties_; }

  private:
    void confirm();

    QComboBox* list_;
    QPushButton* properties_ = nullptr;
};

} // namespace tarnova::gui
