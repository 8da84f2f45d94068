#include "gui/results/graph_window.h"

#include "calc/calc_state.h"
#include "gui/data/file_dialogs.h"
#include "gui/results/result_views.h"
#include "platform/codepage.h"
#include "render/qpainter_surface.h"
#include "results/result_export.h"
#include "settings/settings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tarnova::gui {

namespace {

constexpr int kGraphHelpTopic = 45;

SurfaceRect clientOf(const QWidget& widget) {
    return {0, 0, widget.width(), widget.height()};
}

} // namespace

// The client area of the graph window: the read-out strip and the graph.
class GraphCanvas final : public QWidget {
  public:
    explicit GraphCanvas(GraphWindow& window) : window_(window) {
        setAutoFillBackground(true);
        setBackgroundRole(QPalette::Base);
        setMouseTracking(true);
        setFont(render::DrawingFont());
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        // The tools of a fresh device: a solid black pen of width 1 and a white brush.
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        render::QPainterSurface surface(painter);
        const SurfaceRect client = clientOf(*this);
        const GraphWindowLayout layout =
            LayOutGraphWindow(client, surface.fontMetrics().lineHeight);
        RegressionResult* record = window_.currentRecord();
        // Only the read-out strip changes while the pointer moves: the graph is left alone.
        if (record == nullptr || event->rect().bottom() < layout.graphArea.top) {
            surface.drawTextInRect(layout.readoutBox, FormatGraphReading(GraphWindow::reading()),
                                   HorizontalAlignment::Center, VerticalAlignment::Center);
            return;
        }
        DrawGraphWindow(surface, client, *record, window_.views_.settings().resultFlags,
                        GraphWindow::reading(), &window_.positions_, &window_.extent_);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        window_.readAt(event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        if (event->button() == Qt::LeftButton) {
            window_.clickAt(at.x(), at.y(), PointButton::Left);
        } else if (event->button() == Qt::RightButton) {
            window_.clickAt(at.x(), at.y(), PointButton::Right);
        }
    }
    // The press before it has toggled the point already: a double click toggles it once.
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }

  private:
    GraphWindow& window_;
};

GraphReading& GraphWindow::reading() {
    static GraphReading last;
    return last;
}

GraphWindow::GraphWindow(ResultViews& views, const QString& title, QWidget* parent)
    : ResultViewWindow(views, UnnamedSheets::Listed, kGraphHelpTopic, &ViewLink::graph, parent),
      canvas_(new GraphCanvas(*this)) {
    setObjectName("graphwindow");
    setWindowTitle(title);
    setCentralWidget(canvas_);

    buildMenus();
    sizeDrawingArea(kGraphWindowWidthUnits, kGraphWindowHeightUnits);
}

void GraphWindow::sheetShown() {
    positions_.reset(0);
}

void GraphWindow::readAt(int x, int y) {
    const std::optional<GraphReading> read = ReadGraphPosition(positions_, extent_, x, y);
    if (!read) {
        return;
    }
    reading() = *read;
    const GraphWindowLayout layout =
        LayOutGraphWindow(clientOf(*canvas_), render::MetricsOf(canvas_->font()).lineHeight);
    const SurfaceRect& strip = layout.readoutStrip;
    canvas_->repaint(strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
}

void GraphWindow::clickAt(int x, int y, PointButton button) {
    RegressionResult* record = currentRecord();
    if (record == nullptr) {
        return;
    }
    if (const std::optional<int> hit = HitDataPoint(positions_, *record, x, y)) {
        views_.editPoints(currentSheet(),
                          [record, hit, button] { return ClickDataPoint(*record, *hit, button); });
    }
}

QByteArray GraphWindow::picture(render::PictureFormat format, RegressionResult& record) {
    const SurfaceRect& area = kMetafileGraphArea;
    const ResultFlags flags = views_.settings().resultFlags;
    return render::DrawPicture(
        format, QSize(area.right, area.bottom), canvas_->font(),
        QString::fromStdString(cp932ToUtf8(record.sheetName)),
        [&](Surface& surface) { DrawGraph(surface, area, record, flags, nullptr, nullptr); });
}

void GraphWindow::copyGraph() {
    RegressionResult* record = currentRecord();
    if (record == nullptr) {
        return;
    }
    auto* pictures = new QMimeData;
    const QByteArray emf = picture(render::PictureFormat::Emf, *record);
    pictures->setData("image/emf", emf);
    pictures->setData("image/x-emf", emf);
    pictures->setData("image/svg+xml", picture(render::PictureFormat::Svg, *record));
    pictures->setData("image/png", picture(render::PictureFormat::Png, *record));
    QGuiApplication::clipboard()->setMimeData(pictures);
    // The pictures marked the points off the graph by their own area; the window decides the
    // marks that clicks go by again.
    canvas_->update();
}

void GraphWindow::saveGraph() {
    RegressionResult* record = currentRecord();
    if (record == nullptr) {
        return;
    }
    QtFilePort files(this);
    const std::optional<std::string> path =
        ChooseGraphFile(port_, files, views_.settings().dataDirectory);
    if (!path) {
        return;
    }
    // The path reaches the file system as the dialog gave its bytes.
    const QByteArray bytes =
        picture(render::PictureFormatOfPath(*path).value_or(render::PictureFormat::Emf), *record);
    canvas_->update();
    if (bytes.isEmpty() || !render::SaveFileAtomically(*path, bytes)) {
        port_.showMessage("Tarnova", *path);
    }
}

} // namespace tarnova::gui
