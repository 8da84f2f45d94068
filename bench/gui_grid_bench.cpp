// The peak editor grid with a sheet of 100,000 rows: showing the first page, and what one
// scroll step, one page, one cursor move and one typed character cost near the top and near
// the end of the sheet. Runs offscreen.
#include "../tests/core/support/scripted_port.h"
#include "editor/grid_editing.h"
#include "editor/grid_model.h"
#include "gui/editor/grid_widget.h"
#include "widget_benchmarks.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <vector>

using namespace tarnova;
using tarnova::gui::GridWidget;

namespace {

constexpr int kSheetRows = 100000;

const std::vector<PeakRecord>& sheet() {
    static const std::vector<PeakRecord> peaks = [] {
        std::vector<PeakRecord> records;
        records.reserve(kSheetRows);
        const char* labels[] = {"Ar36", "Ar38", "Ar40", "Ar39", "Ar37"};
        for (int i = 0; i < kSheetRows; ++i) {
            PeakRecord record;
            record.elem = labels[i % 5];
            record.time = 0.01 * i;
            record.height = 1.0 + (i % 97) * 0.01;
            record.range = 1.0 + (i % 13) * 0.1;
            records.push_back(record);
        }
        return records;
    }();
    return peaks;
}

// A grid showing the sheet, laid out for 25 rows.
struct ShownGrid {
    test::ScriptedPort port;
    GridModel model{port};
    GridWidget widget{model};

    ShownGrid() {
        model.AttachPeaks(sheet());
        widget.resize(widget.sizeHint());
        widget.show();
        QCoreApplication::processEvents();
    }
    // Puts the view's first row at row, with the cursor on it.
    void viewAt(int row) {
        model.MoveCursor(row, kElemColumn);
        model.thumbMovedTo(row + 1);
        QCoreApplication::processEvents();
    }
};

void BM_AttachAndShowFirstPage(benchmark::State& state) {
    test::ScriptedPort port;
    for (auto _ : state) {
        auto model = std::make_unique<GridModel>(port);
        auto widget = std::make_unique<GridWidget>(*model);
        model->AttachPeaks(sheet());
        widget->resize(widget->sizeHint());
        widget->show();
        widget->resetPaintedRows();
        widget->viewport()->repaint();
        benchmark::DoNotOptimize(widget->paintedRows());
        // Tearing down 100,000 rows is not part of showing them.
        state.PauseTiming();
        widget.reset();
        model.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel("100000 rows");
}
BENCHMARK(BM_AttachAndShowFirstPage)->Unit(benchmark::kMillisecond)->Iterations(5);

// Loading N peaks into the grid model (the previous sheet of N rows released), fitted to O(N).
void BM_AttachPeaks(benchmark::State& state) {
    const auto count = static_cast<std::ptrdiff_t>(state.range(0));
    const std::vector<PeakRecord> peaks(sheet().begin(), sheet().begin() + count);
    test::ScriptedPort port;
    GridModel model(port);
    for (auto _ : state) {
        benchmark::DoNotOptimize(model.AttachPeaks(peaks));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AttachPeaks)
    ->RangeMultiplier(10)
    ->Range(1000, kSheetRows)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

void BM_ReformatRowsOnResize(benchmark::State& state) {
    ShownGrid grid;
    for (auto _ : state) {
        grid.model.ReformatRows();
    }
}
BENCHMARK(BM_ReformatRowsOnResize)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PaintPage(benchmark::State& state) {
    ShownGrid grid;
    grid.viewAt(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        grid.widget.viewport()->repaint();
    }
}
BENCHMARK(BM_PaintPage)->Arg(10)->Arg(kSheetRows - 25)->Unit(benchmark::kMicrosecond);

// One line down and one line up through the scroll bar, each painted.
void BM_ScrollOneLine(benchmark::State& state) {
    ShownGrid grid;
    grid.viewAt(static_cast<int>(state.range(0)));
    QScrollBar* bar = grid.widget.verticalScrollBar();
    for (auto _ : state) {
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCoreApplication::processEvents();
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ScrollOneLine)->Arg(10)->Arg(kSheetRows - 30)->Unit(benchmark::kMicrosecond);

// One page down and one page up, each painted.
void BM_ScrollOnePage(benchmark::State& state) {
    ShownGrid grid;
    grid.viewAt(static_cast<int>(state.range(0)));
    QScrollBar* bar = grid.widget.verticalScrollBar();
    for (auto _ : state) {
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCoreApplication::processEvents();
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_ScrollOnePage)->Arg(10)->Arg(kSheetRows - 75)->Unit(benchmark::kMicrosecond);

// The cursor one row down and back up, committing the cell each time, each painted.
void BM_CursorMove(benchmark::State& state) {
    ShownGrid grid;
    grid.viewAt(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PressGridKey(grid.model, GridKey::Down);
        QCoreApplication::processEvents();
        PressGridKey(grid.model, GridKey::Up);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_CursorMove)->Arg(10)->Arg(kSheetRows - 10)->Unit(benchmark::kMicrosecond);

// A character typed and erased in the cursor's Elem cell, each painted.
void BM_TypeCharacter(benchmark::State& state) {
    ShownGrid grid;
    grid.viewAt(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TypeCharacter(grid.model, 'x');
        QCoreApplication::processEvents();
        PressGridKey(grid.model, GridKey::Backspace);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_TypeCharacter)->Arg(10)->Arg(kSheetRows - 10)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
