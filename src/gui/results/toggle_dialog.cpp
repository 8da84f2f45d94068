#include "gui/results/toggle_dialog.h"

#include "results/point_editing.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kToggleHelpContext = 143;
} // namespace

ToggleDialog::ToggleDialog(const RegressionResult& record, QWidget* parent,
                           std::function<void(int)> showHelp)
    : QDialog(parent), list_(new QListWidget(this)) {
    setObjectName("toggledialog");
    setWindowTitle("データポイントの選択");
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    const std::vector<bool> enabled = EnabledPoints(record);
    int row = 0;
    for (const std::string& line : ToggleListLines(record)) {
        list_->addItem(QString::fromStdString(line));
        list_->item(row)->setSelected(enabled[static_cast<std::size_t>(row)]);
        ++row;
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* decide = buttons->addButton("決定", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    QPushButton* help = buttons->addButton("ヘルプ", QDialogButtonBox::HelpRole);
    decide->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [showHelp] {
        if (showHelp) {
            showHelp(kToggleHelpContext);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

std::vector<bool> ToggleDialog::enabledPoints() const {
    std::vector<bool> selected;
    for (int row = 0; row < list_->count(); ++row) {
        selected.push_back(list_->item(row)->isSelected());
    }
    return selected;
}

} // namespace tarnova::gui
