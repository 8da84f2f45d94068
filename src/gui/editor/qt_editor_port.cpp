#include "gui/editor/qt_editor_port.h"

#include "gui/editor/jump_dialog.h"
#include "gui/editor/sort_dialog.h"

namespace tarnova::gui {

std::optional<SortOrder> QtEditorPort::chooseSortOrder() {
    SortDialog dialog(owner_, showHelp_);
    return DecodeSortChoice(dialog.choose());
}

std::optional<JumpTarget> QtEditorPort::chooseJumpTarget() {
    JumpDialog dialog(owner_, showHelp_);
    return dialog.choose();
}

} // namespace tarnova::gui
