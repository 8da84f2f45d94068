// The user interface port on the console: messages go to stderr as "CAPTION: text";
// questions are shown there too and refused (answered Cancel, or No where there is no
// Cancel) unless a command-line option gave their answer.
#pragma once

#include "platform/user_interface_port.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnova::cli {

class ConsolePort : public UserInterfacePort {
  public:
    void showMessage(std::string_view caption, std::string_view text) override;
    Answer ask(std::string_view caption, std::string_view text, QuestionButtons buttons) override;
    void beep() override {}

    // The answer every question gets; none: refused.
    std::optional<Answer> presetAnswer;
    // Where the "CAPTION: text" lines are kept instead of going to stderr; none: stderr.
    std::vector<std::string>* kept = nullptr;
};

} // namespace tarnova::cli
