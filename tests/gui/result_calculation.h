// What the window tests of the results share: a calculation of the argon sample with its
// result and graph windows open, answers to the next modal dialog, and a catcher of message
// boxes.
#pragma once

#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "document/load_peak_file.h"
#include "editor/grid_model.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "settings/settings.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace tarnova::test {

using gui::GraphWindow;
using gui::ResultWindow;

const QString kSample = QStringLiteral(TARNOVA_SOURCE_DIR "/samples/argon_air.pks");

// The calculation's windows as the program opens them, with the settings dialog answered:
// Ar40/Ar36 and every abundance.
class WindowPort : public ScriptedCalculationPort {
  public:
    gui::ResultViews* views = nullptr;
    void closeResultViews() override { views->close(); }
    void openGraphWindow(const std::string& title) override { views->openGraphWindow(title); }
    void openResultWindow(const std::string& title) override { views->openResultWindow(title); }
    void repaintResultViews() override {
        ScriptedCalculationPort::repaintResultViews();
        views->repaint();
    }
};

struct Calculation {
    ScriptedPort ui;
    ScriptedFilePort files;
    GridModel grid{ui};
    Settings settings;
    CalcState state;
    WindowPort port;
    std::string printer;
    std::unique_ptr<gui::ResultViews> views;

    explicit Calculation(GeneralFlags generalFlags = GeneralFlag::ShowGraph |
                                                     GeneralFlag::ShowResult) {
        settings.generalFlags = generalFlags;
        ReleaseDataNote();
        LoadPeakFile(ui, files, grid, settings, kSample.toStdString());
        views = std::make_unique<gui::ResultViews>(state, settings, port, printer, nullptr);
        port.views = views.get();
        port.presses.push_back([](CalculationSettingsForm& form) {
            for (std::size_t i = 0; i < form.labels.size(); ++i) {
                form.numerators[i] = form.labels[i] == "Ar40";
                form.denominators[i] = form.labels[i] == "Ar36";
                form.abundances[i] = true;
            }
        });
        const CalculationEnvironment environment{ui,
                                                 port,
                                                 settings.generalFlags,
                                                 settings.testLevel,
                                                 "/nonexistent/TARNOVA.INI",
                                                 std::nullopt};
        RunCalculation(state, grid, environment);
    }
    ~Calculation() {
        views.reset();
        ReleaseDataNote();
    }

    GraphWindow* graph() const { return views->graphWindow(); }
    ResultWindow* result() const { return views->resultWindow(); }
    int ratioSheet() const { return state.resultCount() - 1; }
    RegressionResult& record(int sheet) {
        return (*state.results)[static_cast<std::size_t>(sheet)];
    }

    // Shows sheet in both windows and draws them, so that the graph knows its points.
    void show(int sheet) {
        QVERIFY(QTest::qWaitForWindowExposed(graph()));
        graph()->selectSheet(sheet);
        result()->selectSheet(sheet);
        graph()->repaintNow();
    }
    // Where point index of the graph's sheet was drawn.
    QPoint drawn(int index) const {
        const auto& position = graph()->pointPositions().points.at(static_cast<std::size_t>(index));
        return position ? QPoint(position->x, position->y) : QPoint(-100, -100);
    }
};

// Runs steps on the modal dialog of type Dialog as soon as it is up, then lets it close.
template <typename Dialog> void answerNextDialog(std::function<void(Dialog&)> steps) {
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [steps, answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QTimer::singleShot(10, *answer);
            return;
        }
        steps(*dialog);
        // A step that failed leaves the dialog open: it is closed all the same.
        if (dialog->isVisible()) {
            dialog->reject();
        }
        *answer = nullptr;
    };
    QTimer::singleShot(0, *answer);
}

// Closes every message box that comes up and keeps its text.
class MessageCatcher : public QObject {
  public:
    QStringList texts;
    MessageCatcher() { startTimer(5); }

  protected:
    void timerEvent(QTimerEvent*) override {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    }
};

} // namespace tarnova::test
