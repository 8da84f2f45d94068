#include "cli/console_port.h"

#include <iostream>

namespace tarnova::cli {

void ConsolePort::showMessage(std::string_view caption, std::string_view text) {
    if (kept != nullptr) {
        kept->push_back(std::string(caption) + ": " + std::string(text));
        return;
    }
    std::cerr << caption << ": " << text << '\n';
}

Answer ConsolePort::ask(std::string_view caption, std::string_view text, QuestionButtons buttons) {
    showMessage(caption, text);
    if (presetAnswer) {
        return *presetAnswer;
    }
    return buttons == QuestionButtons::YesNo ? Answer::No : Answer::Cancel;
}

} // namespace tarnova::cli
