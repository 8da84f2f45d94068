// The result window "resultwindow": the current result sheet as text, with the commands that copy
// and save results, run the tests and open the graph window. It opens large enough for the
// longest of its sheets and scrolls when made smaller than the sheet shown.
#pragma once

#include "gui/results/result_view_window.h"
#include "gui/results/test_dialogs.h"

namespace tarnova::gui {

class ResultWindow final : public ResultViewWindow {
    Q_OBJECT

  public:
    ResultWindow(ResultViews& views, const QString& title, QWidget* parent = nullptr);

    QWidget* canvas() const override { return canvas_; }
    void repaintNow() override;

    // The commands of this window alone: Save As (the results as IRD), Copy of this sheet or
    // of all sheets (kAllSheets) and of the data points, and the test dialogs.
    void saveResults();
    void copySheets(int sheet);
    void copyDataPoints();
    void openTest(SheetTest test);

  private:
    // The room the sheet of record takes on the canvas, in pixels.
    QSize sheetSize(const RegressionResult* record) const;
    void copyText(const std::optional<std::string>& text);

    QWidget* canvas_;
};

} // namespace tarnova::gui
