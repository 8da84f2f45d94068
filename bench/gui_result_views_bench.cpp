// The result views at work on long measurements: a click that toggles one point of a sheet of
// 10^4 points, with the new fit and both windows painted again; and "Update All excluding
// disabled" on 25 sheets over 10^5 peaks, with both windows painted again; the Toggle dialog
// opened on a sheet of 4 x 10^3 and 2 x 10^4 points. Runs offscreen.
#include "../tests/core/calc/scripted_calculation_port.h"
#include "../tests/core/support/scripted_port.h"
#include "bench_measurement.h"
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "gui/results/toggle_dialog.h"
#include "settings/settings.h"
#include "widget_benchmarks.h"

#include <QApplication>
#include <QMouseEvent>

#include <benchmark/benchmark.h>

#include <memory>
#include <optional>

using namespace tarnova;

namespace {

// The windows of a calculation, drawn, with every label as numerator and abundance and Ar36 as
// denominator (Ar36 as denominator and abundance of everything: 4 ratios, 5 abundances), or
// every label as denominator too (25 sheets).
class Views final : public test::ScriptedCalculationPort {
  public:
    test::ScriptedPort ui;
    Settings settings;
    CalcState state;
    std::string printer;
    std::unique_ptr<gui::ResultViews> views;

    Views(int peakCount, bool everyDenominator) {
        views = std::make_unique<gui::ResultViews>(state, settings, *this, printer, nullptr);
        presses.push_back([everyDenominator](CalculationSettingsForm& form) {
            form.allNumerators = true;
            form.allAbundances = true;
            form.denominators.assign(form.labels.size(), everyDenominator);
            form.denominators[0] = true;
        });
        std::vector<PeakRecord> peaks = measurementPeaks(peakCount);
        const CalculationEnvironment environment{ui,
                                                 *this,
                                                 GeneralFlag::ShowGraph | GeneralFlag::ShowResult,
                                                 99.7,
                                                 "/nonexistent/TARNOVA.INI",
                                                 std::nullopt};
        RunCalculation(
            state, [&] { return std::optional(peaks); }, environment);
        QCoreApplication::processEvents();
    }
    ~Views() override { views.reset(); }

    void openGraphWindow(const std::string& title) override { views->openGraphWindow(title); }
    void openResultWindow(const std::string& title) override { views->openResultWindow(title); }
    void repaintResultViews() override { views->repaint(); }

    void show(int sheet) {
        views->graphWindow()->selectSheet(sheet);
        views->resultWindow()->selectSheet(sheet);
        QCoreApplication::processEvents();
    }
};

// A press of the left button on point index of the graph, as the window system delivers it.
void pressOnPoint(gui::GraphWindow& graph, int index) {
    const auto& drawn = graph.pointPositions().points.at(static_cast<std::size_t>(index));
    const QPointF at(drawn ? drawn->x : 0, drawn ? drawn->y : 0);
    QMouseEvent press(QEvent::MouseButtonPress, at, graph.canvas()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(graph.canvas(), &press);
}

void BM_ClickPointAndRepaintBothWindows(benchmark::State& state) {
    // 5 x 10^4 peaks: the abundance of Ar40 holds 10^4 points.
    Views views(50000, false);
    const int sheet = 4;
    views.show(sheet);
    const RegressionResult& record = (*views.state.results)[sheet];
    gui::GraphWindow& graph = *views.views->graphWindow();
    pressOnPoint(graph, 5000);
    if (record.activeCount != record.pointCount - 1) {
        state.SkipWithError("the press hit no point");
        return;
    }
    for (auto _ : state) {
        pressOnPoint(graph, 5000);
        benchmark::DoNotOptimize(record.activeCount);
    }
    state.SetLabel(std::to_string(record.pointCount) + " points");
}
BENCHMARK(BM_ClickPointAndRepaintBothWindows)->Unit(benchmark::kMillisecond);

void BM_UpdateAllAndRepaintBothWindows(benchmark::State& state) {
    Views views(100000, true);
    views.show(views.state.resultCount() - 1);
    for (auto _ : state) {
        KeepPointStates(views.state, kAllSheets, 0, views, views.settings.testLevel);
    }
    state.SetLabel(std::to_string(views.state.resultCount()) + " sheets, 100000 peaks");
}
BENCHMARK(BM_UpdateAllAndRepaintBothWindows)->Unit(benchmark::kMillisecond);

// Edit -> Data Points -> Toggle: the dialog made with one line per point, the enabled points
// selected (every third point disabled, so that the selection has many runs), shown and read
// back as "決定" reads it.
void BM_OpenToggleDialog(benchmark::State& state) {
    RegressionResult record = abundanceRecord(static_cast<int>(state.range(0)));
    for (std::size_t i = 0; i < record.points->size(); i += 3) {
        (*record.points)[i].flags |= PointFlag::Disabled;
    }
    for (auto _ : state) {
        gui::ToggleDialog dialog(record, nullptr, {});
        dialog.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dialog.enabledPoints());
    }
    state.SetComplexityN(state.range(0));
    state.SetLabel(std::to_string(record.points->size()) + " points");
}
BENCHMARK(BM_OpenToggleDialog)
    ->Arg(4000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
