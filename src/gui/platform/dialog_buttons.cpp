#include "gui/platform/dialog_buttons.h"

#include <QDialog>
#include <QPushButton>

namespace tarnova::gui {

QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void(int)>& showHelp,
                           int context) {
    QPushButton* help = buttons->addButton("ヘルプ", QDialogButtonBox::HelpRole);
    QObject::connect(help, &QPushButton::clicked, buttons, [showHelp, context] {
        if (showHelp) {
            showHelp(context);
        }
    });
    return help;
}

void leaveEnterToTheDefaultButton(QDialog* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (!button->isDefault()) {
            button->setAutoDefault(false);
        }
    }
}

} // namespace tarnova::gui
