// The button rows of the dialogs: texts as the program has always shown them ("ｷｬﾝｾﾙ",
// "ヘルプ") and a Help button that opens the dialog's help context.
#pragma once

#include <QDialogButtonBox>

#include <functional>

class QDialog;
class QPushButton;

namespace tarnova::gui {

// Adds "ヘルプ", which calls showHelp(context) (nothing when showHelp is empty); F1 presses it.
QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void(int)>& showHelp,
                           int context);
// Adds "ヘルプ", which calls help (nothing when help is empty); F1 presses it.
QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void()>& help);
// F1 in the dialog presses help, as it opens the help everywhere else.
void pressOnF1(QPushButton* help);

// Enter presses the dialog's default button only, never a button of the dialog's body ("削除",
// "参照", ...) that happened to be the first one made.
void leaveEnterToTheDefaultButton(QDialog* dialog);

} // namespace tarnova::gui
