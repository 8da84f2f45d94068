// The file dialogs on the console: there is nobody to choose, so every dialog is cancelled.
#pragma once

#include "document/file_port.h"

namespace tarnova::cli {

class ConsoleFilePort final : public FilePort {
  public:
    FileDialogResult chooseOpenFile(const FileDialogRequest&) override { return {}; }
    FileDialogResult chooseSaveFile(const FileDialogRequest&) override { return {}; }
    FormatDecision decideFormat(const FormatDecisionRequest&) override { return {}; }
    void setWindowTitle(std::string_view) override {}
};

} // namespace tarnova::cli
