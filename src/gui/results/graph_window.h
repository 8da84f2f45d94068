// The graph window "graphwindow": the current result sheet as a graph, the time and value under
// the mouse pointer above it, and a click on a point to disable or enable it. It copies and
// saves its graph as a picture and opens the result window.
#pragma once

#include "gui/results/result_view_window.h"
#include "render/picture_output.h"
#include "results/graph.h"
#include "results/point_editing.h"

namespace tarnova::gui {

class GraphWindow final : public ResultViewWindow {
    Q_OBJECT

  public:
    GraphWindow(ResultViews& views, const QString& title, QWidget* parent = nullptr);

    QWidget* canvas() const override { return canvas_; }
    // Where the last drawing put the points of the current sheet.
    const PointPositions& pointPositions() const { return positions_; }

    // The time and value last read under the pointer; they outlive the window.
    static GraphReading& reading();

    // The commands of this window alone: Copy and Save As of the graph as a picture.
    void copyGraph();
    void saveGraph();

  protected:
    void sheetShown() override;

  private:
    friend class GraphCanvas;
    // A press at (x, y) of the canvas: the nearest drawn point within 2 pixels is toggled (left
    // button) or disabled (right button), and both windows are redrawn.
    void clickAt(int x, int y, PointButton button);
    void readAt(int x, int y);
    // The graph of the current sheet as a picture of the metafile's size.
    QByteArray picture(render::PictureFormat format, RegressionResult& record);

    QWidget* canvas_;
    PointPositions positions_;
    GraphExtent extent_;
};

} // namespace tarnova::gui
