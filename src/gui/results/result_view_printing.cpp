// The print commands of the result window and the graph window.
#include "gui/results/qt_printing.h"
#include "gui/results/result_view_window.h"
#include "gui/results/result_views.h"

#include "calc/calc_state.h"
#include "results/print_jobs.h"
#include "settings/settings.h"

namespace tarnova::gui {

void ResultViewWindow::print(int command) {
    CalcState& calculation = views_.calculation();
    if (!calculation.results || calculation.results->empty()) {
        return;
    }
    const std::span<RegressionResult> all(*calculation.results);
    const bool everySheet = command == kViewPrintAll || command == kViewMakeReportForAll;
    const int sheet = currentSheet();
    if (!everySheet && (sheet < 0 || static_cast<std::size_t>(sheet) >= all.size())) {
        return;
    }
    const std::span<RegressionResult> sheets =
        everySheet ? all : all.subspan(static_cast<std::size_t>(sheet), 1);
    const Settings& settings = views_.settings();
    const std::optional<DataNote>& note = currentDataNote();
    const DataNote* shownNote = note ? &*note : nullptr;
    QtPrinting printing(this, port_, views_.printer());
    if (command == kViewMakeReport || command == kViewMakeReportForAll) {
        MakeReports(printing.environment(), sheets, shownNote, calculation.calcFlags,
                    settings.resultFlags, settings.reportFlags, printing.askReportOptions(),
                    calculation.peaks);
    } else if (linkField_ == &ViewLink::graph) {
        PrintGraphs(printing.environment(), sheets, settings.resultFlags);
    } else {
        PrintResults(printing.environment(), sheets, shownNote, calculation.calcFlags,
                     settings.resultFlags);
    }
}

} // namespace tarnova::gui
