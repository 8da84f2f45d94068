#include "gui/results/sheet_list_dialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {

SheetListDialog::SheetListDialog(const QStringList& names, int current, QWidget* parent)
    : QDialog(parent), list_(new QListWidget(this)) {
    setObjectName("sheetlistdialog");
    setWindowTitle("シート一覧");
    list_->addItems(names);
    if (current >= 0 && current < list_->count()) {
        list_->setCurrentRow(current);
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* decide = buttons->addButton("決定", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    decide->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

int SheetListDialog::choose() {
    if (exec() != QDialog::Accepted || list_->selectedItems().isEmpty()) {
        return -1;
    }
    return list_->currentRow();
}

} // namespace tarnova::gui
