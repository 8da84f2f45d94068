// The result window and the graph window of the calculation: it creates, places, repaints and
// closes them, and holds the link that ties them together.
#pragma once

#include "calc/calculation_port.h"
#include "results/point_history.h"
#include "results/view_link.h"

#include <QPointer>

#include <functional>
#include <string>

class QWidget;

namespace tarnova {
struct CalcState;
struct Settings;
} // namespace tarnova

namespace tarnova::gui {

class GraphWindow;
class ResultWindow;

// Sizes of the windows' drawing areas in dialog base units (average character widths by line
// heights of the drawing font).
inline constexpr int kResultWindowWidthUnits = 70;
inline constexpr int kResultWindowHeightUnits = 15;

class ResultViews final {
  public:
    // The windows are owned by mainWindow (which may be none in tests) and die with it;
    // port is asked for the recalculation and repaints the views after "Update All"; their
    // print jobs go to printer, the application's choice.
    ResultViews(CalcState& calculation, const Settings& settings, CalculationPort& port,
                std::string& printer, QWidget* mainWindow);
    ~ResultViews();
    ResultViews(const ResultViews&) = delete;
    ResultViews& operator=(const ResultViews&) = delete;

    CalcState& calculation() const { return calculation_; }
    const Settings& settings() const { return settings_; }
    CalculationPort& port() const { return port_; }
    std::string& printer() const { return printer_; }
    ViewLink& link() { return link_; }
    // Undo and redo of the points and methods of the calculation shown; it ends with the
    // calculation (close).
    PointHistory& history() { return history_; }

    // Runs edit, a command that changes which points count or the methods of sheet (kAllSheets:
    // of any sheet, and the disabled peaks), as one step of undo and redo. Both windows are
    // redrawn when edit returns true (the points changed); Undo and Redo follow the history.
    bool editPoints(int sheet, const std::function<bool()>& edit);
    // Redraws both windows after the points changed, with Undo and Redo greyed as the history
    // says.
    void pointsChanged();

    // Creates the window on sheet 0 at the platform's position unless it exists; refused (none)
    // unless the calculation has confirmed settings.
    GraphWindow* openGraphWindow(const std::string& title);
    ResultWindow* openResultWindow(const std::string& title);
    // "Show Graph" and "Show Data": the other window, created when needed (with its log line),
    // is asked to show sheet.
    void showGraphWindow(int sheet);
    void showResultWindow(int sheet);
    // The placement after a calculation, relative to the main window.
    void arrange(bool graphOpen, bool resultOpen, ViewPlacement placement);
    // Closes both windows; the calculation they showed ends, and its history with it.
    void close();
    void repaint();
    // Names the open windows after the measurement's file as it is called now.
    void retitle();

    GraphWindow* graphWindow() const;
    ResultWindow* resultWindow() const;

  private:
    template <typename Window>
    Window* open(QPointer<Window>& window, ResultView* ViewLink::*field, const std::string& title);
    void showView(ResultView* ViewLink::*field, int sheet);
    void updateHistoryCommands();

    CalcState& calculation_;
    const Settings& settings_;
    CalculationPort& port_;
    std::string& printer_;
    QWidget* mainWindow_;
    ViewLink link_;
    PointHistory history_;
    QPointer<GraphWindow> graph_;
    QPointer<ResultWindow> result_;
};

} // namespace tarnova::gui
