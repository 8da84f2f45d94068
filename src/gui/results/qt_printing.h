// What a window prints with: the printers of the desktop and the report options dialog, over
// the window. The print commands themselves are the core's jobs (print_jobs.h,
// peak_list_printing.h, printer_selection.h) run on environment().
#pragma once

#include "gui/results/qt_spooler.h"
#include "results/print_jobs.h"

namespace tarnova::gui {

class QtPrinting final {
  public:
    // owner parents every dialog; messages go to ui; printer is the application's choice.
    QtPrinting(QWidget* owner, UserInterfacePort& ui, std::string& printer);
    QtPrinting(const QtPrinting&) = delete;
    QtPrinting& operator=(const QtPrinting&) = delete;

    PrintEnvironment& environment() { return environment_; }
    QtSpooler& spooler() { return spooler_; }
    // The report options dialog; its "プリンタの選択" runs ChoosePrinter on environment().
    AskReportOptions askReportOptions();

  private:
    QWidget* owner_;
    QtSpooler spooler_;
    PrintEnvironment environment_;
};

} // namespace tarnova::gui
