// The file port answered with Qt dialogs: the open-file and save-file dialogs with the data
// file filters, the format-decision dialog and the main window's title.
#pragma once

#include "document/file_port.h"

#include <memory>

class QFileDialog;
class QWidget;

namespace tarnova::gui {

class QtFilePort final : public FilePort {
  public:
    // owner parents the dialogs and carries the window title.
    explicit QtFilePort(QWidget* owner) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    FileDialogResult chooseOpenFile(const FileDialogRequest& request) override;
    FileDialogResult chooseSaveFile(const FileDialogRequest& request) override;
    FormatDecision decideFormat(const FormatDecisionRequest& request) override;
    void setWindowTitle(std::string_view title) override;

    // The dialog a request asks for, before it runs.
    std::unique_ptr<QFileDialog> makeFileDialog(const FileDialogRequest& request, bool save) const;

  private:
    FileDialogResult run(const FileDialogRequest& request, bool save);

    QWidget* owner_;
};

} // namespace tarnova::gui
