// The peak editor's dialogs as Qt dialogs: "データの整列" and "カーソルの移動".
#pragma once

#include "editor/editor_port.h"

#include <functional>
#include <utility>

class QWidget;

namespace tarnova::gui {

class QtEditorPort final : public EditorPort {
  public:
    // owner parents the dialogs; showHelp opens a help context (may be empty).
    explicit QtEditorPort(QWidget* owner, std::function<void(int)> showHelp = {})
        : owner_(owner), showHelp_(std::move(showHelp)) {}

    std::optional<SortOrder> chooseSortOrder() override;
    std::optional<JumpTarget> chooseJumpTarget() override;

  private:
    QWidget* owner_;
    std::function<void(int)> showHelp_;
};

} // namespace tarnova::gui
