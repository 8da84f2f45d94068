#include "gui/editor/grid_widget.h"

#include "editor/grid_editing.h"
#include "editor/jump_to.h"
#include "editor/row_sort.h"
#include "platform/codepage.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <optional>
#include <string>

namespace tarnova::gui {
namespace {

// Cell texts are code page 932 bytes; numbers and most labels are plain ASCII and need no
// conversion.
QString cellString(const std::string& text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    return QString::fromStdString(cp932ToUtf8(text));
}

std::optional<GridKey> gridKey(int key) {
    switch (key) {
    case Qt::Key_Left:
        return GridKey::Left;
    case Qt::Key_Right:
        return GridKey::Right;
    case Qt::Key_Up:
        return GridKey::Up;
    case Qt::Key_Down:
        return GridKey::Down;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return GridKey::Enter;
    case Qt::Key_Home:
        return GridKey::Home;
    case Qt::Key_End:
        return GridKey::End;
    case Qt::Key_Backspace:
        return GridKey::Backspace;
    case Qt::Key_Insert:
        return GridKey::Insert;
    case Qt::Key_Delete:
        return GridKey::Delete;
    case Qt::Key_Escape:
        return GridKey::Escape;
    case Qt::Key_PageUp:
        return GridKey::PageUp;
    case Qt::Key_PageDown:
        return GridKey::PageDown;
    default:
        return std::nullopt;
    }
}

} // namespace

GridWidget::GridWidget(GridModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model) {
    setObjectName("tnvdataeditwindow");
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    viewport()->setCursor(Qt::ArrowCursor);

    // The view follows the thumb while it is dragged.
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(1);
    connect(bar, &QScrollBar::actionTriggered, this, &GridWidget::scrollAction);

    updateMetrics();
    model_.setView(this);
    setScrollBar(model_.scrollBar());
}

GridWidget::~GridWidget() {
    model_.setView(nullptr);
}

void GridWidget::updateMetrics() {
    const QFontMetrics metrics(font());
    cx_ = std::max(metrics.averageCharWidth(), 1);
    cy_ = std::max(metrics.height(), 1);
}

std::array<int, 5> GridWidget::borders() const {
    return model_.GetColumnBorders(cx_);
}

std::array<int, 5> GridWidget::columnBorders() const {
    std::array<int, 5> x = borders();
    for (int& border : x) {
        border += frameWidth();
    }
    return x;
}

void GridWidget::followBorders() {
    const std::array<int, 5> x = borders();
    if (x == drawnBorders_) {
        return;
    }
    drawnBorders_ = x;
    viewport()->update();
    if (QWidget* strip = parentWidget()) {
        strip->update(0, 0, strip->width(), std::max(y(), 0) + frameWidth());
    }
}

QSize GridWidget::sizeHint() const {
    int characters = 0;
    for (int column = kNumColumn; column <= kPeakColumn; ++column) {
        characters += model_.shownColumnWidth(column);
    }
    const int frame = 2 * frameWidth();
    return {cx_ * (characters + 7) + verticalScrollBar()->sizeHint().width() + frame,
            kGridPageRows * cy_ + frame};
}

// --- Operations ---

void GridWidget::insertLine() {
    InsertLine(model_);
}

void GridWidget::deleteLine() {
    DeleteLine(model_);
}

void GridWidget::sortRows(EditorPort& dialogs) {
    SortRows(model_, dialogs);
}

void GridWidget::jumpTo(EditorPort& dialogs) {
    JumpTo(model_, dialogs);
}

// --- Painting ---

void GridWidget::paintEvent(QPaintEvent* event) {
    followBorders();
    const QRect region = event->rect();
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::Text));
    const std::array<int, 5> x = borders();
    const GridModel::RowSpan span = model_.rowsToPaint(region.top(), region.height(), cy_);
    for (int row = span.first; row < span.first + span.count; ++row) {
        drawRow(painter, row, x);
    }
    paintedRows_ += span.count;
    painter.setPen(palette().color(QPalette::Text));
    for (int border : x) {
        painter.drawLine(border, region.top(), border, region.bottom());
    }
}

GridWidget::CellDrawing GridWidget::cellDrawing(int row, int column,
                                                const std::array<int, 5>& x) const {
    const int m = cy_ / 4;
    const int left = column == kNumColumn ? 0 : x[static_cast<std::size_t>(column - 1)];
    const int end =
        column == kPeakColumn ? viewport()->width() : x[static_cast<std::size_t>(column)];
    const QRect inset(left + m, rowTop(row), end - left - 2 * m, cy_);
    const QString text = cellString(model_.displayText(row, column));
    const QFontMetrics metrics(font());
    const int width = metrics.horizontalAdvance(text);
    if (width <= inset.width()) {
        return {inset, text};
    }
    // A text a little wider than its column (a number one digit longer) takes the insets too.
    const QRect whole(left + 1, rowTop(row), end - left - 2, cy_);
    if (width <= whole.width()) {
        return {whole, text};
    }
    // A label is cut on the right with a mark; a number is never cut into another number:
    // its cell fills with "#".
    if (column == kElemColumn) {
        return {inset, metrics.elidedText(text, Qt::ElideRight, inset.width())};
    }
    const int marks = std::max(inset.width() / std::max(metrics.horizontalAdvance('#'), 1), 1);
    return {inset, QString(marks, '#')};
}

QString GridWidget::shownText(int row, int column) const {
    return cellDrawing(row, column, borders()).text;
}

void GridWidget::drawRow(QPainter& painter, int row, const std::array<int, 5>& x) {
    const int top = rowTop(row);
    const int cursorColumn = row == model_.cursorRow() ? model_.cursorColumn() : -1;
    const QColor text = palette().color(QPalette::Text);
    const QColor base = palette().color(QPalette::Base);
    for (int column = kNumColumn; column <= kPeakColumn; ++column) {
        const int left = column == kNumColumn ? 0 : x[static_cast<std::size_t>(column - 1)];
        const int end =
            column == kPeakColumn ? viewport()->width() : x[static_cast<std::size_t>(column)];
        const CellDrawing drawing = cellDrawing(row, column, x);
        const bool numberAligned = column == kNumColumn || column == kPeakColumn;
        const int flags = Qt::TextSingleLine | Qt::AlignVCenter |
                          (numberAligned ? Qt::AlignLeft : Qt::AlignRight);
        const bool inverted = column == cursorColumn;
        if (inverted) {
            painter.fillRect(QRect(left, top, end - left, cy_), text);
            painter.setPen(base);
        }
        painter.save();
        painter.setClipRect(drawing.rect);
        painter.drawText(drawing.rect, flags, drawing.text);
        painter.restore();
        if (inverted) {
            painter.setPen(text);
        }
    }
}

// --- What the model asks of the window ---

void GridWidget::repaintAll() {
    viewport()->update();
}

void GridWidget::repaintRow(int row) {
    if (model_.isRowVisible(row)) {
        viewport()->update(0, rowTop(row), viewport()->width(), cy_);
    }
}

void GridWidget::repaintCells(int row, int firstColumn, int lastColumn) {
    if (!model_.isRowVisible(row) || firstColumn < kElemColumn || lastColumn > kRangeColumn) {
        repaintRow(row);
        return;
    }
    const std::array<int, 5> x = borders();
    const int left = x[static_cast<std::size_t>(firstColumn - 1)];
    const int right = x[static_cast<std::size_t>(lastColumn)];
    viewport()->update(left, rowTop(row), right - left + 1, cy_);
}

void GridWidget::repaintFromRow(int row) {
    const int top = std::max(rowTop(row), 0);
    viewport()->update(0, top, viewport()->width(), viewport()->height() - top);
}

void GridWidget::scrollContent(int rows) {
    viewport()->scroll(0, rows * cy_);
}

void GridWidget::setScrollBar(const ScrollBarState& state) {
    followBorders(); // the row count may have gained or lost a digit
    // The model keeps the range of rows and the page as the view shows them; the bar's own
    // range is that of the first visible row.
    QScrollBar* bar = verticalScrollBar();
    const int maximum = std::max(state.minimum, state.maximum - state.page + 1);
    bar->setRange(state.minimum, maximum);
    bar->setPageStep(state.page);
    bar->setValue(state.position);
    bar->setEnabled(maximum > state.minimum);
}

void GridWidget::scrollAction(int action) {
    QScrollBar* bar = verticalScrollBar();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        model_.lineUp();
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        model_.lineDown();
        break;
    case QAbstractSlider::SliderPageStepSub:
        model_.pageUp();
        break;
    case QAbstractSlider::SliderPageStepAdd:
        model_.pageDown();
        break;
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
    case QAbstractSlider::SliderMove:
        // Every step of a drag lands here, and so does the wheel.
        model_.thumbMovedTo(bar->sliderPosition());
        break;
    default:
        break;
    }
    // The bar applies the position set here once this signal returns.
    bar->setSliderPosition(model_.scrollBar().position);
}

void GridWidget::scrollContentsBy(int, int) {
    // The view follows the model's first row, not the bar's value.
}

// --- Input ---

void GridWidget::keyPressEvent(QKeyEvent* event) {
    // Alt and Meta combinations belong to the window (menus); Ctrl ones move but type nothing.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
        event->ignore();
        return;
    }
    if (const std::optional<GridKey> key = gridKey(event->key())) {
        PressGridKey(model_, *key);
        event->accept();
        return;
    }
    const QString text = event->text();
    if (text.isEmpty() || (modifiers & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    for (const char32_t codePoint : text.toUcs4()) {
        if (codePoint < 0x20 || codePoint == 0x7f) {
            continue;
        }
        const QString character = QString::fromUcs4(&codePoint, 1);
        // A double-byte character is no letter or digit of a label; its lead byte stands
        // for it, so that its trail byte cannot pass for an ASCII letter.
        const std::string bytes = utf8ToCp932(character.toStdString());
        if (!bytes.empty()) {
            TypeCharacter(model_, bytes.front());
        }
    }
    event->accept();
}

void GridWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    model_.pressAt(at.x(), at.y(), cx_, cy_);
}

void GridWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    model_.ReformatRows();
}

void GridWidget::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMetrics();
        updateGeometry();
        viewport()->update();
    }
}

bool GridWidget::focusNextPrevChild(bool) {
    // Tab is a character for the cells (and ignored there), not a move to another widget.
    return false;
}

} // namespace tarnova::gui
