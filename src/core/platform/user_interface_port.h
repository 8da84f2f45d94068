// The user interface port: how core procedures talk to the user. The GUI answers with Qt
// dialogs, the command-line tool on the console, the tests with a scripted fake.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

enum class Answer { Yes, No, Cancel };

enum class QuestionButtons { YesNo, YesNoCancel, OkCancel, SaveCancel };

class UserInterfacePort {
  public:
    virtual ~UserInterfacePort() = default;

    // A modal message box; caption and text are UTF-8.
    virtual void showMessage(std::string_view caption, std::string_view text) = 0;
    // A modal question; OkCancel answers Yes for OK, SaveCancel Yes for Save.
    virtual Answer ask(std::string_view caption, std::string_view text,
                       QuestionButtons buttons) = 0;
    // The platform's warning beep.
    virtual void beep() = 0;
};

} // namespace tarnova
