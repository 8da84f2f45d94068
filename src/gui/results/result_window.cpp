#include "gui/results/result_window.h"

#include "calc/calc_state.h"
#include "calc/regression_method.h"
#include "gui/data/file_dialogs.h"
#include "gui/results/result_views.h"
#include "gui/shell/show_help.h"
#include "platform/codepage.h"
#include "render/qpainter_surface.h"
#include "results/point_editing.h"
#include "results/result_export.h"
#include "results/result_sheet.h"
#include "settings/settings.h"
#include "shell/help_document.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>

namespace tarnova::gui {
namespace {

constexpr int kResultHelpTopic = 44;

const DataNote* noteOrNone() {
    const std::optional<DataNote>& note = currentDataNote();
    return note ? &*note : nullptr;
}

// The sheet as text, drawn from the top-left corner of the window's client area.
class SheetCanvas final : public QWidget {
  public:
    SheetCanvas(ResultViews& views, const ResultViewWindow& window)
        : views_(views), window_(window) {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
        setFont(render::DrawingFont());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        CalcState& calculation = views_.calculation();
        const RegressionResult* record = SheetRecord(calculation, window_.currentSheet());
        if (record == nullptr || record->status.test(StatusFlag::NoActivePoint)) {
            return;
        }
        QPainter painter(this);
        painter.setPen(QPen(palette().color(QPalette::Text), 1));
        render::QPainterSurface surface(painter);
        SurfaceRect area{0, 0, width(), height()};
        DrawResultSheet(surface, area, *record, noteOrNone(), calculation.calcFlags,
                        views_.settings().resultFlags, RegressionMethods().front().describe);
    }

  private:
    ResultViews& views_;
    const ResultViewWindow& window_;
};

} // namespace

ResultWindow::ResultWindow(ResultViews& views, const QString& title, QWidget* parent)
    : ResultViewWindow(views, UnnamedSheets::Left, kResultHelpTopic, &ViewLink::result, parent),
      canvas_(new SheetCanvas(views, *this)) {
    setObjectName("resultwindow");
    setWindowTitle(title);
    auto* scroller = new QScrollArea;
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(canvas_);
    setCentralWidget(scroller);
    buildMenus();
    QSize longest;
    if (const std::optional<ResultTable>& sheets = views.calculation().results) {
        for (const RegressionResult& record : *sheets) {
            longest = longest.expandedTo(sheetSize(&record));
        }
    }
    sizeDrawingArea(kResultWindowWidthUnits, kResultWindowHeightUnits, longest);
    canvas_->setMinimumSize(sheetSize(currentRecord()));
}

QSize ResultWindow::sheetSize(const RegressionResult* record) const {
    if (record == nullptr || record->status.test(StatusFlag::NoActivePoint)) {
        return {0, 0};
    }
    const QFontMetrics font(canvas_->font(), canvas_);
    const SurfacePoint extent = ResultSheetExtent(
        render::MetricsOf(canvas_->font(), canvas_),
        [&font](std::string_view text) {
            return font.horizontalAdvance(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        },
        *record, noteOrNone(), views_.calculation().calcFlags, views_.settings().resultFlags,
        RegressionMethods().front().describe);
    return {extent.x, extent.y};
}

void ResultWindow::repaintNow() {
    // The sheet shown, or its numbers, changed: the canvas takes the sheet's size, and the
    // window scrolls when it is smaller.
    canvas_->setMinimumSize(sheetSize(currentRecord()));
    ResultViewWindow::repaintNow();
}

void ResultWindow::copyText(const std::optional<std::string>& text) {
    if (!text) {
        port_.showMessage("Tarnova", "Not enough cor.");
        return;
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(cp932ToUtf8(*text)));
}

void ResultWindow::saveResults() {
    QtFilePort files(this);
    SaveResultsAsIrd(views_.calculation(), noteOrNone(), views_.settings(), port_, files);
}

void ResultWindow::copySheets(int sheet) {
    const CalcState& calculation = views_.calculation();
    if (sheet == kAllSheets ? !calculation.results : currentRecord() == nullptr) {
        return;
    }
    copyText(SheetsText(calculation, sheet, noteOrNone(), views_.settings().copyOutputFlags));
}

void ResultWindow::copyDataPoints() {
    if (const RegressionResult* record = currentRecord()) {
        copyText(DataPointsText(*record, noteOrNone()));
    }
}

void ResultWindow::openTest(SheetTest test) {
    if (const RegressionResult* record = currentRecord()) {
        OpenSheetTest(test, record, this, port_,
                      [this](int context) { ShowHelp(port_, kHelpContext, context); });
    }
}

} // namespace tarnova::gui
