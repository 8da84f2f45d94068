// The user interface port answered with Qt message boxes.
#pragma once

#include "platform/user_interface_port.h"

class QWidget;

namespace tarnova::gui {

class QtPort : public UserInterfacePort {
  public:
    explicit QtPort(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }
    QWidget* owner() const { return owner_; }

    void showMessage(std::string_view caption, std::string_view text) override;
    Answer ask(std::string_view caption, std::string_view text, QuestionButtons buttons) override;
    void beep() override;

  private:
    QWidget* owner_;
};

} // namespace tarnova::gui
