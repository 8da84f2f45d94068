// The user interface port on the console: messages go to stderr as "CAPTION: text";
// questions are refused (answered Cancel, or No where there is no Cancel).
#pragma once

#include "platform/user_interface_port.h"

namespace tarnova::cli {

class ConsolePort : public UserInterfacePort {
  public:
    void showMessage(std::string_view caption, std::string_view text) override;
    Answer ask(std::string_view caption, std::string_view text, QuestionButtons buttons) override;
    void beep() override {}
};

} // namespace tarnova::cli
