#include "gui/editor/jump_dialog.h"

#include "editor/jump_to.h"
#include "gui/platform/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kJumpHelpContext = 41;
constexpr int kMaxDestinationLength = 1023;
} // namespace

JumpDialog::JumpDialog(QWidget* parent, std::function<void(int)> showHelp)
    : QDialog(parent), destination_(new QLineEdit(this)) {
    setObjectName("jumpdialog");
    setWindowTitle("カーソルの移動");
    destination_->setMaxLength(kMaxDestinationLength);

    auto* form = new QFormLayout;
    form->addRow("移動先", destination_);

    auto* buttons = new QDialogButtonBox;
    auto* go = buttons->addButton("ジャンプ", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, kJumpHelpContext);
    go->setDefault(true);
    connect(go, &QPushButton::clicked, this, &JumpDialog::jump);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    destination_->setFocus();
}

void JumpDialog::jump() {
    target_ = ParseJumpTarget(destination_->text().toStdString());
    if (target_) {
        accept();
    }
}

std::optional<JumpTarget> JumpDialog::choose() {
    target_.reset();
    if (exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return target_;
}

} // namespace tarnova::gui
