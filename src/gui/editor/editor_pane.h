// The main window's client area: the strip of column labels, in line with the grid's column
// borders, and the grid below it.
#pragma once

#include <QWidget>

#include <array>

namespace tarnova::gui {

class GridWidget;

class EditorPane final : public QWidget {
    Q_OBJECT

  public:
    explicit EditorPane(QWidget* parent = nullptr);

    // The grid child; placed below the strip, showing 25 rows.
    void setGrid(GridWidget* grid);
    GridWidget* grid() const { return grid_; }
    // Height of a label cell: the character height cy.
    int cy() const { return fontMetrics().height(); }
    int cx() const { return fontMetrics().averageCharWidth(); }
    // Right borders of Num to Range in this widget, including the grid's frame.
    std::array<int, 5> columnBorders() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void placeGrid();

    GridWidget* grid_ = nullptr;
};

} // namespace tarnova::gui
