#include "gui/results/result_views.h"

#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_window.h"
#include "platform/run_log.h"
#include "render/qpainter_surface.h"

#include <QWidget>

namespace tarnova::gui {
ResultViews::ResultViews(CalcState& calculation, const Settings& settings, CalculationPort& port,
                         std::string& printer, QWidget* mainWindow)
    : calculation_(calculation), settings_(settings), port_(port), printer_(printer),
      mainWindow_(mainWindow) {}

ResultViews::~ResultViews() {
    delete graph_.data();
    delete result_.data();
}

GraphWindow* ResultViews::graphWindow() const {
    return graph_.data();
}

ResultWindow* ResultViews::resultWindow() const {
    return result_.data();
}

template <typename Window>
Window* ResultViews::open(QPointer<Window>& window, ResultView* ViewLink::*field,
                          const std::string& title) {
    if (!calculation_.calcFlags.test(CalcFlag::Confirmed)) {
        return nullptr;
    }
    if (window == nullptr || link_.*field == nullptr) {
        window = new Window(*this, QString::fromStdString(title), mainWindow_);
        link_.*field = window;
        window->show();
    }
    return window;
}

GraphWindow* ResultViews::openGraphWindow(const std::string& title) {
    return open(graph_, &ViewLink::graph, title);
}

ResultWindow* ResultViews::openResultWindow(const std::string& title) {
    return open(result_, &ViewLink::result, title);
}

void ResultViews::showView(ResultView* ViewLink::*field, int sheet) {
    const bool graph = field == &ViewLink::graph;
    if (link_.*field == nullptr) {
        const std::string title = ResultViewTitle(graph ? "Graph" : "Result");
        if ((graph ? static_cast<QWidget*>(openGraphWindow(title))
                   : static_cast<QWidget*>(openResultWindow(title))) == nullptr) {
            return;
        }
        LogLine(graph ? "Graph has been opened." : "Table has been opened.");
    }
    (link_.*field)->postShowSheet(sheet);
}

void ResultViews::showGraphWindow(int sheet) {
    showView(&ViewLink::graph, sheet);
}

void ResultViews::showResultWindow(int sheet) {
    showView(&ViewLink::result, sheet);
}

void ResultViews::arrange(bool graphOpen, bool resultOpen, ViewPlacement placement) {
    if (mainWindow_ == nullptr) {
        return;
    }
    const FontMetrics units = render::MetricsOf(render::DrawingFont());
    const int d = 2 * units.lineHeight;
    const QRect main = mainWindow_->frameGeometry();
    GraphWindow* graph = graphOpen ? graph_.data() : nullptr;
    ResultWindow* result = resultOpen ? result_.data() : nullptr;
    if (graph != nullptr) {
        graph->move(main.left(), main.top() + d);
    }
    if (result == nullptr) {
        return;
    }
    if (graph == nullptr) {
        result->move(main.left(), main.top() + d);
        return;
    }
    const QRect beside = graph->frameGeometry();
    switch (placement) {
    case ViewPlacement::SideBySide:
        result->move(beside.right() + 1, beside.top());
        break;
    case ViewPlacement::Stacked:
        result->move(beside.left(), beside.bottom() + 1);
        break;
    case ViewPlacement::Overlapping:
        result->move(beside.left() + 5 * units.averageCharWidth, beside.top() + d);
        break;
    }
}

void ResultViews::close() {
    for (QWidget* window :
         {static_cast<QWidget*>(graph_.data()), static_cast<QWidget*>(result_.data())}) {
        if (window != nullptr) {
            window->close();
        }
    }
    link_ = {};
    history_.clear();
}

void ResultViews::retitle() {
    if (graph_ != nullptr) {
        graph_->setWindowTitle(QString::fromStdString(ResultViewTitle("Graph")));
    }
    if (result_ != nullptr) {
        result_->setWindowTitle(QString::fromStdString(ResultViewTitle("Result")));
    }
}

void ResultViews::repaint() {
    RepaintViews(link_);
}

bool ResultViews::editPoints(int sheet, const std::function<bool()>& edit) {
    const bool changed = history_.record(calculation_, sheet, edit);
    if (changed) {
        RepaintViews(link_);
    }
    updateHistoryCommands();
    return changed;
}

void ResultViews::pointsChanged() {
    RepaintViews(link_);
    updateHistoryCommands();
}

void ResultViews::updateHistoryCommands() {
    for (ResultViewWindow* window : {static_cast<ResultViewWindow*>(graph_.data()),
                                     static_cast<ResultViewWindow*>(result_.data())}) {
        if (window != nullptr) {
            window->updateHistoryCommands();
        }
    }
}

} // namespace tarnova::gui
