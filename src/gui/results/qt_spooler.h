// The printers of the desktop: the print queues of CUPS as QPrinterInfo lists them, and the
// "PDF file" entry. Jobs are drawn by QPrinter in high resolution into a PDF file and handed to
// the queue through CUPS (with the job title as its name), or saved where the user says.
#pragma once

#include "results/printer_port.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tarnova {
class UserInterfacePort;
}

namespace tarnova::gui {

class QtSpooler final : public Spooler {
  public:
    // owner parents the dialogs; help requests of the selection dialog report through ui.
    QtSpooler(QWidget* owner, UserInterfacePort& ui);

    std::optional<std::vector<std::string>> printers() override;
    // The system's default queue, or the "PDF file" entry on a machine without one.
    std::optional<std::string> defaultPrinter() override;
    PrinterOpening openPrinter(const std::string& name) override;
    std::optional<std::size_t> runSelectionDialog(const std::vector<std::string>& names,
                                                  std::optional<std::size_t> defaultEntry) override;

    // Where the "PDF file" entry writes a job; none when the user cancelled. A save dialog
    // unless a test replaces it.
    std::function<std::optional<QString>()> askPdfPath;

  private:
    std::optional<QString> askPdfPathInDialog();

    QWidget* owner_;
    UserInterfacePort& ui_;
};

} // namespace tarnova::gui
