#include "gui/editor/sort_dialog.h"

#include "gui/platform/dialog_buttons.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kSortHelpContext = 43;
} // namespace

SortDialog::SortDialog(QWidget* parent, std::function<void(int)> showHelp)
    : QDialog(parent), keys_(new QComboBox(this)), ascending_(new QRadioButton("昇順")),
      descending_(new QRadioButton("降順")) {
    setObjectName("sortdialog");
    setWindowTitle("データの整列");

    // The entries in the order of the key index the sort reads.
    keys_->addItems({"同位体ラベル", "時刻", "ピーク", "レンジ", "ピークハイト"});
    keys_->setCurrentIndex(0);
    ascending_->setChecked(true);

    auto* keyRow = new QFormLayout;
    keyRow->addRow("キー", keys_);

    auto* order = new QGroupBox("順序");
    auto* orderLayout = new QHBoxLayout(order);
    orderLayout->addWidget(ascending_);
    orderLayout->addWidget(descending_);

    auto* buttons = new QDialogButtonBox;
    auto* run = buttons->addButton("実行", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, kSortHelpContext);
    run->setDefault(true);
    connect(run, &QPushButton::clicked, this, &SortDialog::execute);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(keyRow);
    layout->addWidget(order);
    layout->addWidget(buttons);
}

void SortDialog::execute() {
    const int key = keys_->currentIndex();
    if (key < 0) {
        return;
    }
    choice_ = 2 * key + (descending_->isChecked() ? 1 : 0) + 1;
    accept();
}

int SortDialog::choose() {
    choice_ = 0;
    return exec() == QDialog::Accepted ? choice_ : 0;
}

} // namespace tarnova::gui
