#include "gui/results/printer_selection_dialog.h"

#include "gui/platform/dialog_buttons.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kPrinterSelectionHelpContext = 76;
} // namespace

PrinterSelectionDialog::PrinterSelectionDialog(const QStringList& names,
                                               std::optional<std::size_t> defaultEntry,
                                               std::function<void(const QString&)> openProperties,
                                               std::function<void(int)> showHelp, QWidget* parent)
    : QDialog(parent), list_(new QComboBox(this)) {
    setObjectName("printerselectiondialog");
    setWindowTitle("プリンタの選択");
    list_->setObjectName("printerlist");
    list_->addItems(names);
    const bool preselected = defaultEntry && *defaultEntry < static_cast<std::size_t>(names.size());
    list_->setCurrentIndex(preselected ? static_cast<int>(*defaultEntry) : -1);

    auto* buttons = new QDialogButtonBox;
    auto* ok = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    properties_ = buttons->addButton("設定", QDialogButtonBox::ActionRole);
    addHelpButton(buttons, showHelp, kPrinterSelectionHelpContext);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &PrinterSelectionDialog::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(properties_, &QPushButton::clicked, this, [this, openProperties] {
        if (list_->currentIndex() >= 0 && openProperties) {
            openProperties(list_->currentText());
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("現在のプリンタ"));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    list_->setFocus();
}

void PrinterSelectionDialog::confirm() {
    // Without a selected entry "OK" does nothing.
    if (list_->currentIndex() >= 0) {
        accept();
    }
}

std::optional<std::size_t> PrinterSelectionDialog::choose() {
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(list_->currentIndex());
}

} // namespace tarnova::gui
