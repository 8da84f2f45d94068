// What a click on a graph point costs in the core: toggling one point of a record of 10^4
// points, refitting it by each regression method (the second argument: its index) and drawing
// its graph and its sheet again (the two windows) onto a surface that only counts; and "Update All
// excluding disabled" of 25 records over 10^5 peaks.
#include "bench_measurement.h"
#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "results/graph.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

#include <benchmark/benchmark.h>

namespace tarnova {
namespace {

// A surface that draws nothing and counts what it was asked to draw.
class CountingSurface final : public Surface {
  public:
    long primitives = 0;

    FontMetrics fontMetrics() const override { return {16, 7}; }
    int borderWidth() const override { return 1; }
    int textWidth(std::string_view text) const override {
        return 7 * static_cast<int>(text.size());
    }
    void drawText(SurfacePoint, std::string_view) override { ++primitives; }
    void drawTextInRect(const SurfaceRect&, std::string_view, HorizontalAlignment,
                        VerticalAlignment) override {
        ++primitives;
    }
    void drawLine(SurfacePoint, SurfacePoint) override { ++primitives; }
    void drawRectangle(const SurfaceRect&) override { ++primitives; }
    void drawEllipse(const SurfaceRect&) override { ++primitives; }
    void drawDashedLine(SurfacePoint, SurfacePoint, int) override { ++primitives; }
};

void TogglePointRefitAndRedraw(benchmark::State& state) {
    RegressionResult record = abundanceRecord(static_cast<int>(state.range(0)));
    record.fitMethod = static_cast<std::uint32_t>(state.range(1));
    ComputeStatistics(record);
    FitLine(record);
    if (!record.points || record.points->size() != static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("the record was not formed");
        return;
    }
    // The graph window's graph area and the result window's client area.
    const SurfaceRect graphArea{5, 22, 415, 395};
    const SurfaceRect sheetArea{0, 0, 490, 240};
    PointPositions positions;
    GraphExtent extent;
    CountingSurface surface;
    PointClicks clicks;
    for (auto _ : state) {
        clicks.clickAndRefit(record);
        DrawGraph(surface, graphArea, record, kAllResultItems, &positions, &extent);
        SurfaceRect sheet = sheetArea;
        DrawResultSheet(surface, sheet, record, nullptr, {}, kAllResultItems,
                        RegressionMethods().front().describe);
    }
    benchmark::DoNotOptimize(surface.primitives);
}

void UpdateAllExcludingDisabled(benchmark::State& state) {
    const std::vector<PeakRecord> peaks = measurementPeaks(static_cast<int>(state.range(0)));
    SilentPort ui;
    EverythingPort port;
    CalcState calculation;
    const CalculationEnvironment environment{ui, port, {}, kDefaultTestLevel, "", std::nullopt};
    const PeakListSource source = [&peaks] { return std::optional(peaks); };
    if (!RunCalculation(calculation, source, environment) || calculation.resultCount() != 25) {
        state.SkipWithError("the calculation failed");
        return;
    }
    for (auto _ : state) {
        // One point disabled in the first ratio record, then the update.
        RegressionResult& first = calculation.results->back();
        if (first.points && !first.points->empty()) {
            first.points->front().flags |= PointFlag::Disabled;
        }
        KeepPointStates(calculation, kAllSheets, 0, port, kDefaultTestLevel);
    }
    benchmark::DoNotOptimize(calculation.results);
}

BENCHMARK(TogglePointRefitAndRedraw)
    ->ArgsProduct({{10000},
                   {kLinearMethod, kParabolicMethod, kExponentialMethod, kMeanMethod,
                    kAutomaticMethod}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(UpdateAllExcludingDisabled)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarnova

BENCHMARK_MAIN();
