// The main window: the menus, shortcuts and log lines made from the command table, the save
// question, dropped files and the recalculation request.
#include "calc/calc_state.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "data/peak_sheet.h"
#include "dialog_steps.h"
#include "editor/grid_model.h"
#include "gui/calc/calculation_settings_dialog.h"
#include "gui/editor/grid_widget.h"
#include "gui/editor/main_window.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "gui/shell/log_window.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "results/point_editing.h"
#include "run_log_lines.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace tarnova;
using test::runLogLines;

namespace {

struct Fixture {
    test::ScriptedPort port;
    test::ScriptedFilePort files;
    GridModel grid{port};
    Settings settings;
    CalcState calculation;
    std::vector<std::pair<std::string, std::string>> started;
    std::string printer;
    std::unique_ptr<gui::MainWindow> window;

    Fixture() {
        window = std::make_unique<gui::MainWindow>(
            gui::MainWindowContext{grid, settings, calculation, port, files,
                                   [this](const std::string& executable, const std::string& file) {
                                       started.emplace_back(executable, file);
                                   },
                                   printer});
    }
};

// Closes every modal dialog as soon as it is shown, so that commands that ask do not block.
class ModalCloser : public QObject {
  public:
    ModalCloser() { startTimer(0); }

  protected:
    void timerEvent(QTimerEvent*) override {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        setLoadPath("/nonexistent/");
        QVERIFY(gui::LogWindow::open());
    }
    void cleanup() { gui::LogWindow::current()->close(); }

    // The menus walked in order give the command table back: every command in its menu, in
    // table order, with its separators and shortcuts; Help stands apart at the right.
    void menusFollowTheCommandTable() {
        Fixture fixture;
        QList<QMenu*> menus;
        for (const QAction* menu : fixture.window->menuBar()->actions()) {
            menus << menu->menu();
        }
        QMenu* help = fixture.window->helpMenu();
        QCOMPARE(fixture.window->menuBar()->cornerWidget(Qt::TopRightCorner), help->parentWidget());
        menus << help;
        QCOMPARE(menus.size(), 5);
        QList<int> next(menus.size(), 0);
        for (const gui::MainWindowCommand& command : gui::MainWindow::commands()) {
            const QList<QAction*> actions = menus[static_cast<int>(command.menu)]->actions();
            int& at = next[static_cast<int>(command.menu)];
            QCOMPARE(at < actions.size() && actions[at]->isSeparator(), command.separatorBefore);
            at += command.separatorBefore ? 1 : 0;
            QVERIFY(at < actions.size());
            QCOMPARE(actions[at], fixture.window->action(command.id));
            QCOMPARE(actions[at]->text(), QString::fromUtf8(command.label));
            QList<QKeySequence> keys;
            for (const QKeyCombination key : command.shortcuts) {
                if (key != QKeyCombination()) {
                    keys << QKeySequence(key);
                }
            }
            QCOMPARE(actions[at]->shortcuts(), keys);
            ++at;
        }
        for (int menu = 0; menu < menus.size(); ++menu) {
            QCOMPARE(next[menu], menus[menu]->actions().size());
        }
    }

    // Every command, by each of its shortcuts pressed on the main window (or its menu entry
    // where it has none), writes its run-log line before anything else; an unknown command
    // writes "Unknown command".
    void everyCommandWritesItsLogLine_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QKeyCombination>("keys");
        QTest::addColumn<QString>("line");
        for (const gui::MainWindowCommand& command : gui::MainWindow::commands()) {
            const QString line = command.logLine ? QString(command.logLine) : QString();
            const QString name = QString(command.label).remove('&');
            QTest::newRow(qPrintable(name)) << int(command.id) << QKeyCombination() << line;
            for (const QKeyCombination key : command.shortcuts) {
                if (key != QKeyCombination()) {
                    QTest::newRow(qPrintable(name + " " + QKeySequence(key).toString()))
                        << int(command.id) << key << line;
                }
            }
        }
        QTest::newRow("unknown") << 12345 << QKeyCombination() << QString("Unknown command");
    }
    void everyCommandWritesItsLogLine() {
        QFETCH(int, command);
        QFETCH(QKeyCombination, keys);
        QFETCH(QString, line);
        Fixture fixture;
        fixture.window->show();
        fixture.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
        ModalCloser closer;
        const int before = runLog().lineCount();
        if (keys != QKeyCombination()) {
            QTest::keyClick(fixture.window->grid(), keys.key(), keys.keyboardModifiers());
        } else if (QAction* action = fixture.window->action(command)) {
            action->trigger();
        } else {
            fixture.window->runCommand(command);
        }
        if (line.isEmpty()) {
            QCOMPARE(runLog().lineCount(), before);
        } else {
            QCOMPARE(runLogLines().value(before), line);
        }
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget != gui::LogWindow::current()) {
                widget->close();
            }
        }
    }

    void closeAsksWhenTheSheetWasChanged() {
        Fixture fixture;
        fixture.window->show();
        QVERIFY(fixture.window->close()); // unchanged: no question
        QVERIFY(fixture.port.messages.empty());

        fixture.window->show();
        fixture.grid.markModified();
        fixture.port.answers = {Answer::Cancel};
        QVERIFY(!fixture.window->close());
        QVERIFY(fixture.window->isVisible());
        QCOMPARE(fixture.port.messages,
                 (std::vector<test::RecordedMessage>{
                     {"Tarnova", "データは変更後保存されていません。保存しますか？"}}));

        fixture.port.answers = {Answer::No};
        QVERIFY(fixture.window->close());
        QVERIFY(!fixture.window->isVisible());
    }

    void yesSavesAndAFailedSaveKeepsTheWindow() {
        Fixture fixture;
        fixture.window->show();
        fixture.grid.AttachPeaks({PeakRecord{1.5, 2.0, 3.0, {}, "Ar40"}});
        QTest::keyClick(fixture.window->grid(), Qt::Key_Backspace); // a change to the label
        fixture.port.answers = {Answer::Yes};
        QVERIFY(!fixture.window->close()); // the save dialog was cancelled
        QCOMPARE(fixture.files.saveRequests.size(), size_t(1));
        QVERIFY(fixture.window->isVisible());

        QTemporaryDir folder;
        const QString path = folder.filePath("saved.pks");
        fixture.files.saveResults = {
            test::ScriptedFilePort::chosen(QFile::encodeName(path).toStdString(), 1)};
        fixture.port.answers = {Answer::Yes};
        QVERIFY(fixture.window->close());
        QVERIFY(QFile::exists(path));
        ReleaseDataNote();
    }

    void newAsksBeforeDiscardingChanges() {
        Fixture fixture;
        fixture.grid.markModified();
        fixture.port.answers = {Answer::Cancel};
        fixture.window->runCommand(gui::kCommandNew);
        QVERIFY(fixture.grid.IsModified());
        fixture.port.answers = {Answer::No};
        fixture.window->runCommand(gui::kCommandNew);
        QVERIFY(!fixture.grid.IsModified());
        QCOMPARE(fixture.grid.GetRowCount(), 25);
    }

    void newSetsTheTitleAndStartsAFreshHistory() {
        Fixture fixture;
        fixture.window->setWindowTitle("Tarnova - old.pks");
        QTest::keyClick(fixture.window->grid(), Qt::Key_A);
        fixture.port.answers = {Answer::No};
        fixture.window->runCommand(gui::kCommandNew);
        QCOMPARE(fixture.files.titles, std::vector<std::string>{"Tarnova:"});
        fixture.window->runCommand(gui::kCommandUndo);
        QCOMPARE(fixture.port.beeps, 1); // nothing to undo
    }

    // Ctrl+C, New, Ctrl+V: the same rows, code page 932 labels through the clipboard's Unicode
    // text; Ctrl+Z takes the paste back, Ctrl+Y makes it again.
    void copyPasteUndoAndRedoThroughTheKeys() {
        Fixture fixture;
        fixture.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        QWidget* grid = fixture.window->grid();
        fixture.grid.AttachPeaks({PeakRecord{1.25, 2.5, 0.001, {}, "Ar40"},
                                  PeakRecord{2.5, 3.25, 1e-15, {}, "\x83\x41r"}});
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied, QString("Elem\tTime\tHeight\tRange\tPeak\nAr40\t1.25\t2.5\t0.001\t0.0025\n"
                                 "アr\t2.5\t3.25\t1e-15\t3.2500000000000004e-15\n"));
        fixture.window->runCommand(gui::kCommandNew);
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
        QCOMPARE(fixture.grid.row(1)->peak.elem, std::string("\x83\x41r"));
        QCOMPARE(fixture.grid.row(1)->peak.range, 1e-15);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        // The paste is one step of the history.
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 25);
        QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
        // A line with a text in the Time column is refused and nothing is pasted.
        QGuiApplication::clipboard()->setText("Ar40\tnoon\t1\t1\n");
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
        QVERIFY(fixture.port.messages.back().text.starts_with("1行目を貼り付けられません"));
    }

    void droppingThreeFilesLoadsOneAndStartsTwoProcesses() {
        Fixture fixture;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/d/a.pks"), QUrl::fromLocalFile("/d/b.pks"),
                      QUrl::fromLocalFile("/d/c.pks")});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        const int before = runLog().lineCount();
        // Delivered straight to the window: the application routes drops only during a drag.
        static_cast<QObject*>(fixture.window.get())->event(&drop);
        QCOMPARE(fixture.started,
                 (std::vector<std::pair<std::string, std::string>>{
                     {"/nonexistent/tarnova", "/d/b.pks"}, {"/nonexistent/tarnova", "/d/c.pks"}}));
        QVERIFY(runLogLines().mid(before).contains("/d/a.pks: Load"));
    }

    void recalcRunsAgainAndCalcStartsAfresh() {
        Fixture fixture;
        fixture.grid.AttachPeaks({PeakRecord{1.0, 2.0, 1.0, {}, "Ar40"},
                                  PeakRecord{2.0, 0.5, 1.0, {}, "Ar36"},
                                  PeakRecord{1.5, 2.1, 1.0, {}, "Ar40"}});
        // A calculation that was set up: RECALC keeps its lists and does not extract again.
        fixture.calculation.calcFlags = CalcFlag::Confirmed;
        const int before = runLog().lineCount();
        QCoreApplication::postEvent(fixture.window.get(),
                                    new QEvent(gui::MainWindow::recalcEventType()));
        QCOMPARE(runLog().lineCount(), before); // posted: handled after the current command
        QCoreApplication::sendPostedEvents(fixture.window.get(),
                                           gui::MainWindow::recalcEventType());
        const QStringList recalc = runLogLines().mid(before);
        QCOMPARE(recalc.value(0), QString("RECALC command"));
        QVERIFY(!recalc.contains("Retrieve the peak list."));
        QCOMPARE(fixture.calculation.calcFlags, CalcFlag::Confirmed);

        // CALC extracts and sorts the peaks again, beside the calculation there is.
        const int calcStart = runLog().lineCount();
        ModalCloser closer;
        fixture.window->action(gui::kCommandCalc)->trigger();
        const QStringList calc = runLogLines().mid(calcStart);
        QCOMPARE(calc.value(0), QString("CALC command"));
        const qsizetype retrieved = calc.indexOf("Retrieve the peak list.");
        QVERIFY(retrieved > 0);
        QVERIFY(calc.indexOf("The list is sorted.") > retrieved);
        // The settings dialog was closed: nothing is calculated, and the calculation before
        // stays as it was.
        QVERIFY(fixture.port.messages.empty());
        QVERIFY(!fixture.calculation.results);
        QCOMPARE(fixture.calculation.calcFlags, CalcFlag::Confirmed);
        QCOMPARE(fixture.calculation.peakCount(), 0);
    }

    // Ctrl+G while results are shown, then Esc in the settings dialog (real key presses): both
    // windows, their table and a disabled point stay. Ctrl+G again opens with the choices made
    // before, and "開始" replaces the windows and the table. Save As names the windows anew.
    void calcCancelledKeepsTheResultsAndSaveAsRenamesThem() {
        Fixture fixture;
        fixture.settings.generalFlags |= GeneralFlag::ShowGraph | GeneralFlag::ShowResult;
        std::vector<PeakRecord> peaks;
        for (int i = 0; i < 10; ++i) {
            const bool ar40 = i % 2 == 1;
            peaks.push_back(PeakRecord{1.0 + i,
                                       ar40 ? 3.0 + 0.01 * i : 1.0 + 0.001 * i,
                                       ar40 ? 100.0 : 1.0,
                                       {},
                                       ar40 ? "Ar40" : "Ar36"});
        }
        fixture.grid.AttachPeaks(peaks);
        fixture.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        using Dialog = gui::CalculationSettingsDialog;
        // Ctrl+G on the active main window, with steps on the settings dialog it opens.
        const auto pressCtrlG = [&fixture](std::function<void(Dialog&)> steps) {
            fixture.window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(fixture.window.get()));
            test::whenShown<Dialog>(std::move(steps));
            QTest::keyClick(fixture.window.get(), Qt::Key_G, Qt::ControlModifier);
        };

        // Ar40/Ar36.
        pressCtrlG([](Dialog& dialog) {
            dialog.numeratorList()->item(1)->setSelected(true);
            dialog.denominatorList()->item(0)->setSelected(true);
            QTest::mouseClick(test::button(dialog, "開始"), Qt::LeftButton);
        });
        CalcState& state = fixture.calculation;
        QCOMPARE(state.resultCount(), 1);
        gui::ResultViews& views = fixture.window->resultViews();
        const QPointer<gui::GraphWindow> graph = views.graphWindow();
        const QPointer<gui::ResultWindow> result = views.resultWindow();
        QVERIFY(graph && result);
        QCOMPARE(graph->windowTitle(), QString("Graph - untitled"));
        ClickDataPoint((*state.results)[0], 2, PointButton::Left);
        const int active = (*state.results)[0].activeCount;
        const CalcFlags flags = state.calcFlags;

        bool preselected = false;
        pressCtrlG([&preselected](Dialog& dialog) {
            preselected = dialog.numeratorList()->item(1)->isSelected() &&
                          !dialog.numeratorList()->item(0)->isSelected() &&
                          dialog.denominatorList()->item(0)->isSelected();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(preselected);
        QVERIFY(graph && graph->isVisible());
        QVERIFY(result && result->isVisible());
        QCOMPARE(views.graphWindow(), graph.data());
        QCOMPARE(state.calcFlags, flags);
        QCOMPARE(state.resultCount(), 1);
        QCOMPARE((*state.results)[0].activeCount, active);
        QVERIFY(!(*state.results)[0].points->at(2).isActive());

        // Save As under a new name: both windows take it.
        QTemporaryDir folder;
        const std::string saved = folder.filePath("run7.pks").toStdString();
        fixture.files.saveResults.push_back(test::ScriptedFilePort::chosen(saved, 1));
        fixture.window->runCommand(gui::kCommandSaveAs);
        QCOMPARE(graph->windowTitle(), QString("Graph - run7.pks"));
        QCOMPARE(result->windowTitle(), QString("Result - run7.pks"));

        pressCtrlG([](Dialog& dialog) {
            QTest::mouseClick(test::button(dialog, "開始"), Qt::LeftButton);
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!graph && !result);
        QVERIFY(views.graphWindow() != nullptr);
        QCOMPARE((*state.results)[0].activeCount, (*state.results)[0].pointCount);
    }

    void gridStandsBelowTheLabelStripAndShowsTwentyFiveRows() {
        Fixture fixture;
        fixture.window->show();
        QCOMPARE(fixture.window->objectName(), QString("tnveditwindow"));
        QCOMPARE(fixture.window->windowTitle(), QString("Tarnova:"));
        QCOMPARE(fixture.window->minimumSize(), fixture.window->maximumSize());
        const int cy = fixture.window->centralWidget()->fontMetrics().height();
        gui::GridWidget* grid = fixture.window->grid();
        QCOMPARE(grid->objectName(), QString("tnvdataeditwindow"));
        QCOMPARE(grid->y(), cy + 1);
        QVERIFY(grid->viewport()->height() >= 25 * cy);
        QVERIFY(grid->viewport()->width() >= grid->charWidth() * 48);
        QCOMPARE(grid->width(), fixture.window->centralWidget()->width());
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        fixture.window->repaint();
        QVERIFY(runLogLines().contains("Label cells have been drawn."));
        QVERIFY(runLogLines().contains("Labels have been drown"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
