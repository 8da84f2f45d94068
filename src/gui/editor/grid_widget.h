// The peak editor grid on screen ("tnvdataeditwindow"): paints the rows of its GridModel that
// the region to be painted meets, with the cursor's cell inverted, and forwards keys, typed
// characters, mouse presses and the vertical scroll bar to the model and its editing rules.
#pragma once

#include "editor/grid_model.h"

#include <QAbstractScrollArea>

#include <array>

class QPainter;

namespace tarnova {
class EditorPort;
} // namespace tarnova

namespace tarnova::gui {

class GridWidget final : public QAbstractScrollArea, private GridView {
    Q_OBJECT
  public:
    // Shows model, which outlives the widget; the widget becomes the model's view.
    explicit GridWidget(GridModel& model, QWidget* parent = nullptr);
    ~GridWidget() override;

    GridModel& model() { return model_; }
    const GridModel& model() const { return model_; }

    // The layout units: cx, the average character width, and cy, the row height.
    int charWidth() const { return cx_; }
    int rowHeight() const { return cy_; }
    // x0 to x4 in the grid's own coordinates, the frame included, for the label strip.
    std::array<int, 5> columnBorders() const;
    // Width for the six columns and the scroll bar, height for 25 rows, frame included.
    QSize sizeHint() const override;

    // The row operations of the Data menu.
    void insertLine();
    void deleteLine();
    void sortRows(EditorPort& dialogs);
    void jumpTo(EditorPort& dialogs);

    // The text drawn in a cell: the cell's text (the edit buffer in the cursor's cell), or,
    // when it does not fit even over the cell's insets, a label cut on the right with a mark
    // or a number as "#" marks.
    QString shownText(int row, int column) const;

    // Rows drawn by paint events since the last reset; shows what a scroll or a cursor move
    // repaints.
    long long paintedRows() const { return paintedRows_; }
    void resetPaintedRows() { paintedRows_ = 0; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

  private:
    // GridView
    void repaintAll() override;
    void repaintRow(int row) override;
    void repaintCells(int row, int firstColumn, int lastColumn) override;
    void repaintFromRow(int row) override;
    void scrollContent(int rows) override;
    void setScrollBar(const ScrollBarState& state) override;

    void updateMetrics();
    // When the borders moved (the Num column widens with the row count), the whole grid and
    // the label strip above it are drawn again.
    void followBorders();
    void scrollAction(int action);
    // Pixel borders x0 to x4 in the viewport.
    std::array<int, 5> borders() const;
    int rowTop(int row) const { return (row - model_.topRow()) * cy_; }
    // What a cell shows and where: its text inside the insets, a text a little too wide over
    // the whole cell, or the marks of a text that does not fit.
    struct CellDrawing {
        QRect rect;
        QString text;
    };
    CellDrawing cellDrawing(int row, int column, const std::array<int, 5>& x) const;
    void drawRow(QPainter& painter, int row, const std::array<int, 5>& x);

    GridModel& model_;
    int cx_ = 1;
    int cy_ = 1;
    long long paintedRows_ = 0;
    std::array<int, 5> drawnBorders_{};
};

} // namespace tarnova::gui
