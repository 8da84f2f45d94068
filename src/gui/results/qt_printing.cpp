#include "gui/results/qt_printing.h"

#include "gui/results/report_options_dialog.h"
#include "gui/shell/show_help.h"
#include "results/printer_selection.h"
#include "shell/help_document.h"

namespace tarnova::gui {

QtPrinting::QtPrinting(QWidget* owner, UserInterfacePort& ui, std::string& printer)
    : owner_(owner), spooler_(owner, ui), environment_{spooler_, ui, printer} {}

AskReportOptions QtPrinting::askReportOptions() {
    return [this](ReportOptions& options) {
        ReportOptionsDialog dialog(
            [this] { ChoosePrinter(environment_); },
            [this](int context) { ShowHelp(environment_.ui, kHelpContext, context); }, owner_);
        return dialog.run(options);
    };
}

} // namespace tarnova::gui
