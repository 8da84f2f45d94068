// What the fuzz targets hand to readers that talk to the user: nobody is there to answer.
#pragma once

#include "platform/run_log.h"
#include "platform/user_interface_port.h"

namespace tarnova::fuzz {

class SilentPort final : public UserInterfacePort {
  public:
    void showMessage(std::string_view, std::string_view) override {}
    Answer ask(std::string_view, std::string_view, QuestionButtons) override {
        return Answer::Cancel;
    }
    void beep() override {}
};

// The run log is kept open so that the readers' log lines are formed and stored too.
inline void openRunLog() {
    if (!runLog().isOpen()) {
        runLog().open(nullptr);
    }
}

} // namespace tarnova::fuzz
