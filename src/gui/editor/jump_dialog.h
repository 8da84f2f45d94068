// The jump dialog "カーソルの移動": a destination "row" or "row : column".
#pragma once

#include "editor/editor_port.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;

namespace tarnova::gui {

class JumpDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit JumpDialog(QWidget* parent = nullptr, std::function<void(int)> showHelp = {});

    // The target typed, or none when cancelled. Text that does not read as a target keeps
    // the dialog open.
    std::optional<JumpTarget> choose();

    QLineEdit* destinationField() const { return destination_; }

  private:
    void jump();

    QLineEdit* destination_;
    std::optional<JumpTarget> target_;
};

} // namespace tarnova::gui
