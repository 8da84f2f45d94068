#include "gui/editor/editor_pane.h"

#include "gui/editor/grid_widget.h"
#include "platform/run_log.h"
#include "platform/text_format.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>

namespace tarnova::gui {
namespace {

// Width and height of a window border line.
constexpr int kBorder = 1;

} // namespace

EditorPane::EditorPane(QWidget* parent) : QWidget(parent) {
    setObjectName("editorpane");
    // The cells are sized in characters; a fixed-pitch font makes every text fit its cell.
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

void EditorPane::setGrid(GridWidget* grid) {
    grid_ = grid;
    grid_->setParent(this);
    placeGrid();
    grid_->show();
}

std::array<int, 5> EditorPane::columnBorders() const {
    auto borders = grid_ ? grid_->columnBorders() : std::array<int, 5>{};
    const int left = grid_ ? grid_->x() : 0;
    for (int& border : borders) {
        border += left;
    }
    return borders;
}

void EditorPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeGrid();
}

void EditorPane::placeGrid() {
    if (!grid_) {
        return;
    }
    grid_->setGeometry(0, cy() + kBorder, width(), height() - cy() - 2 * kBorder);
}

void EditorPane::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const auto borders = columnBorders();
    LogLine(formatText("Borderrs: %d, %d, %d, %d, %d", borders[0], borders[1], borders[2],
                       borders[3], borders[4]));
    const int stripHeight = cy() + 2;
    const int right = width() - kBorder;
    if (event->rect().top() < stripHeight) {
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, 0, 0, stripHeight);
        for (const int border : borders) {
            painter.drawLine(border, 0, border, stripHeight);
        }
        painter.drawLine(right, 0, right, stripHeight);
        LogLine("Label cells have been drawn.");
    }
    static constexpr std::array<const char*, 6> kLabels{"Num",    "Elem",  "Time",
                                                        "Height", "Range", "Peak"};
    const int inset = cx() / 2;
    int left = 0;
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        const int next = i < borders.size() ? borders[i] : width();
        painter.drawText(QRect(QPoint(left + inset, 1), QPoint(next - inset - 1, stripHeight - 2)),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, kLabels[i]);
        left = next;
    }
    LogLine("Labels have been drown");
}

} // namespace tarnova::gui
