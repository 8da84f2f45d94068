// A user interface port for tests: records every message and answers questions from a script.
#pragma once

#include "platform/user_interface_port.h"

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace tarnova::test {

struct RecordedMessage {
    std::string caption;
    std::string text;
    bool operator==(const RecordedMessage&) const = default;
};

inline void PrintTo(const RecordedMessage& message, std::ostream* out) {
    *out << '{' << message.caption << ": " << message.text << '}';
}

class ScriptedPort : public UserInterfacePort {
  public:
    std::vector<RecordedMessage> messages; // messages and questions, in order
    std::deque<Answer> answers;            // answers to the next questions; Cancel when empty
    int beeps = 0;

    void showMessage(std::string_view caption, std::string_view text) override {
        messages.push_back({std::string(caption), std::string(text)});
    }
    Answer ask(std::string_view caption, std::string_view text, QuestionButtons) override {
        messages.push_back({std::string(caption), std::string(text)});
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { ++beeps; }
};

} // namespace tarnova::test
