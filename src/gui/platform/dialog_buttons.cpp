#include "gui/platform/dialog_buttons.h"

#include <QDialog>
#include <QPushButton>

namespace tarnova::gui {

QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void(int)>& showHelp,
                           int context) {
    return addHelpButton(buttons, [showHelp, context] {
        if (showHelp) {
            showHelp(context);
        }
    });
}

QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void()>& help) {
    QPushButton* button = buttons->addButton("ヘルプ", QDialogButtonBox::HelpRole);
    QObject::connect(button, &QPushButton::clicked, buttons, [help] {
        if (help) {
            help();
        }
    });
    pressOnF1(button);
    return button;
}

void pressOnF1(QPushButton* help) {
    help->setShortcut(QKeySequence(Qt::Key_F1));
}

void leaveEnterToTheDefaultButton(QDialog* dialog) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (!button->isDefault()) {
            button->setAutoDefault(false);
        }
    }
}

} // namespace tarnova::gui
