// The sheet list "シート一覧" of both result views: every sheet by name, the current one selected.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace tarnova::gui {

class SheetListDialog final : public QDialog {
    Q_OBJECT

  public:
    SheetListDialog(const QStringList& names, int current, QWidget* parent = nullptr);

    // The sheet chosen with "決定", or -1 when cancelled or when nothing is selected.
    int choose();

    QListWidget* list() const { return list_; }

  private:
    QListWidget* list_;
};

} // namespace tarnova::gui
