// The button rows of the dialogs: texts as the program has always shown them ("ｷｬﾝｾﾙ",
// "ヘルプ") and a Help button that opens the dialog's help context.
#pragma once

#include <QDialogButtonBox>

#include <functional>

class QPushButton;

namespace tarnova::gui {

// Adds "ヘルプ", which calls showHelp(context) (nothing when showHelp is empty).
QPushButton* addHelpButton(QDialogButtonBox* buttons, const std::function<void(int)>& showHelp,
                           int context);

} // namespace tarnova::gui
