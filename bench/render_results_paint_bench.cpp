// The click on a graph point with real painting: toggle one point of a record of 10^4 points,
// refit it, and paint the graph window's client area and the result window's sheet with
// QPainter into images of the windows' sizes (offscreen).
#include "bench_measurement.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "render/picture_output.h"
#include "render/qpainter_surface.h"
#include "results/graph.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

using namespace tarnova;

namespace {

void TogglePointRefitAndPaint(benchmark::State& state) {
    const int pointCount = static_cast<int>(state.range(0));
    RegressionResult record = abundanceRecord(pointCount);

    const QFont font = render::DrawingFont();
    const FontMetrics metrics = render::PictureFontMetrics(font);
    const QSize graphSize(kGraphWindowWidthUnits * metrics.averageCharWidth,
                          kGraphWindowHeightUnits * metrics.lineHeight);
    const QSize sheetSize(70 * metrics.averageCharWidth, 15 * metrics.lineHeight);
    QImage graphImage(graphSize, QImage::Format_RGB32);
    QImage sheetImage(sheetSize, QImage::Format_RGB32);
    PointPositions positions;
    GraphExtent extent;
    PointClicks clicks;
    for (auto _ : state) {
        clicks.clickAndRefit(record);

        graphImage.fill(Qt::white);
        QPainter graphPainter(&graphImage);
        graphPainter.setFont(font);
        render::QPainterSurface graph(graphPainter);
        DrawGraphWindow(graph, {0, 0, graphSize.width(), graphSize.height()}, record,
                        kAllResultItems, GraphReading{1, 2}, &positions, &extent);
        graphPainter.end();

        sheetImage.fill(Qt::white);
        QPainter sheetPainter(&sheetImage);
        sheetPainter.setFont(font);
        render::QPainterSurface sheet(sheetPainter);
        SurfaceRect area{0, 0, sheetSize.width(), sheetSize.height()};
        DrawResultSheet(sheet, area, record, nullptr, {}, kAllResultItems,
                        RegressionMethods().front().describe);
    }
}

BENCHMARK(TogglePointRefitAndPaint)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
