// Opens the process-wide run log for a test and hands back what was logged.
#pragma once

#include "platform/run_log.h"

#include <string>
#include <vector>

namespace tarnova::test {

class LogCapture {
  public:
    LogCapture() {
        runLog().close();
        runLog().open(nullptr);
    }
    ~LogCapture() { runLog().close(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const {
        std::vector<std::string> lines;
        for (int slot = 0; slot < runLog().lineCount(); ++slot) {
            lines.push_back(runLog().line(slot));
        }
        return lines;
    }
};

} // namespace tarnova::test
