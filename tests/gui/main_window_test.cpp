// The main window: menus and accelerators, the command table's log lines, the save question,
// dropped files and the recalculation request.
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
    std::unique_ptr<gui::MainWindow> window;

    Fixture() {
        window = std::make_unique<gui::MainWindow>(
            gui::MainWindowContext{grid, settings, calculation, port, files,
                                   [this](const std::string& executable, const std::string& file) {
                                       started.emplace_back(executable, file);
                                   }});
    }
};

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

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

    void menusCarryEveryLabelAndTheHelpMenuStandsApart() {
        Fixture fixture;
        const QList<QAction*> menus = fixture.window->menuBar()->actions();
        QStringList titles;
        for (const QAction* menu : menus) {
            titles << menu->text();
        }
        QCOMPARE(titles, QStringList({"&File", "&Edit", "&Data", "&Option"}));
        QCOMPARE(menuTexts(menus[0]->menu()),
                 QStringList({"&New", "&Open", "&Save", "Save &As", "P&rinter Setup", "&Print", "-",
                              "&Quit"}));
        QCOMPARE(menuTexts(menus[1]->menu()),
                 QStringList({"&Undo", "&Redo", "-", "&Copy", "&Paste"}));
        QCOMPARE(menuTexts(menus[2]->menu()),
                 QStringList({"&Regression", "Data &Note", "Remove Result(&X)", "-", "&Insert Line",
                              "&Delete Line", "-", "&Sort", "&Jump To..."}));
        QCOMPARE(
            menuTexts(menus[3]->menu()),
            QStringList({"&Edit Interfering Peak Correction Table", "&Option", "&Save Option"}));
        QCOMPARE(fixture.window->action(gui::kCommandRedo)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}));
        QMenu* help = fixture.window->helpMenu();
        QCOMPARE(help->title(), QString("&Help"));
        QCOMPARE(menuTexts(help), QStringList({"&Index", "&Topic", "&Cover", "&Q&&A", "&Help", "-",
                                               "&About Tarnova"}));
        QCOMPARE(fixture.window->menuBar()->cornerWidget(Qt::TopRightCorner), help->parentWidget());
    }

    // Each command's log line and accelerator.
    void everyCommandWritesItsLogLine_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QKeySequence>("keys");
        const struct {
            int command;
            const char* line;
            const char* keys;
        } table[] = {
            {gui::kCommandNew, "NEWDATA command", "Ctrl+N"},
            {gui::kCommandOpen, "OPENFILE command", "Ctrl+O"},
            {gui::kCommandSave, "SAVEFILE command", "Ctrl+S"},
            {gui::kCommandSaveAs, "SAVEFILEAS command", "Ctrl+Shift+S"},
            {gui::kCommandPrinterSetup, "PRINTERROPT command", ""},
            {gui::kCommandPrint, "PRINT command", "Ctrl+P"},
            {gui::kCommandQuit, "QUIT command", "Ctrl+Q"},
            {gui::kCommandCalc, "CALC command", "Ctrl+G"},
            {gui::kCommandOption, "OPTION command", ""},
            {gui::kCommandDataNote, "DATANOTE comamnd", "Ctrl+H"},
            {gui::kCommandRemoveResult, "REMOVERESULT command", "Ctrl+X"},
            {gui::kCommandSort, "SORTDATA command", "Ctrl+A"},
            {gui::kCommandJumpTo, "JUMPTO command", "Ctrl+J"},
            {gui::kCommandAbout, "ABOUT command", ""},
            {gui::kCommandHelpIndex, "HELPINDEX command", ""},
            {gui::kCommandHelpTopics, "HELPTOPICS command", "F1"},
            {gui::kCommandHelpCover, "HELPCOVER command", ""},
            {gui::kCommandHelpForHelp, "HELPFORHELP command", ""},
            {gui::kCommandHelpQandA, "HELPQANDA command", ""},
            {gui::kCommandSaveOption, "SAVEOPTION command", ""},
            {gui::kCommandInsertLine, "INSERTLINE command", "Ctrl+I"},
            {gui::kCommandDeleteLine, "DELETELINE command", "Ctrl+D"},
            {gui::kCommandUndo, "UNDO command", "Ctrl+Z"},
            {gui::kCommandRedo, "REDO command", "Ctrl+Y"},
            {gui::kCommandCopy, "COPY command", "Ctrl+C"},
            {gui::kCommandPaste, "PASTE command", "Ctrl+V"},
            {12345, "Unknown command", ""},
        };
        for (const auto& row : table) {
            QTest::newRow(row.line) << row.command << QString(row.line) << QKeySequence(row.keys);
        }
    }
    void everyCommandWritesItsLogLine() {
        QFETCH(int, command);
        QFETCH(QString, line);
        QFETCH(QKeySequence, keys);
        Fixture fixture;
        ModalCloser closer;
        const int before = runLog().lineCount();
        if (QAction* action = fixture.window->action(command)) {
            QCOMPARE(action->shortcut(), keys);
            action->trigger();
        } else {
            fixture.window->runCommand(command);
        }
        QCOMPARE(runLogLines().value(before), line);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget != gui::LogWindow::current()) {
                widget->close();
            }
        }
    }

    void correctionTableHasNoLogLine() {
        Fixture fixture;
        ModalCloser closer;
        const int before = runLog().lineCount();
        fixture.window->action(gui::kCommandCorrectionTable)->trigger();
        QCOMPARE(runLog().lineCount(), before);
        QVERIFY(fixture.port.messages.empty());
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
        fixture.grid.AttachPeaks({PeakRecord{1.5, 2.0, 3.0, 0, "Ar40"}});
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
        QVERIFY(fixture.grid.IsModified() != 0);
        fixture.port.answers = {Answer::No};
        fixture.window->runCommand(gui::kCommandNew);
        QCOMPARE(fixture.grid.IsModified(), 0u);
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

    // Ctrl+C, New, Ctrl+V: the same rows; Ctrl+Z takes the paste back, Ctrl+Y makes it again.
    void copyPasteUndoAndRedoThroughTheKeys() {
        Fixture fixture;
        fixture.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        QWidget* grid = fixture.window->grid();
        fixture.grid.AttachPeaks({PeakRecord{1.25, 2.5, 0.001, 0, "Ar40"},
                                  PeakRecord{2.5, 3.25, 1e-15, 0, "\x83\x41r"}});
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
        QVERIFY(fixture.grid.IsModified() != 0);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 25);
        QCOMPARE(fixture.grid.IsModified(), 0u);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
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
        fixture.grid.AttachPeaks({PeakRecord{1.0, 2.0, 1.0, 0, "Ar40"},
                                  PeakRecord{2.0, 0.5, 1.0, 0, "Ar36"},
                                  PeakRecord{1.5, 2.1, 1.0, 0, "Ar40"}});
        // A calculation that was set up: RECALC keeps its lists and does not extract again.
        fixture.calculation.calcFlags = kCalcConfirmed;
        const int before = runLog().lineCount();
        QCoreApplication::postEvent(fixture.window.get(),
                                    new QEvent(gui::MainWindow::recalcEventType()));
        QCOMPARE(runLog().lineCount(), before); // posted: handled after the current command
        QCoreApplication::sendPostedEvents(fixture.window.get(),
                                           gui::MainWindow::recalcEventType());
        const QStringList recalc = runLogLines().mid(before);
        QCOMPARE(recalc.value(0), QString("RECALC command"));
        QVERIFY(!recalc.contains("Retrieve the peak list."));
        QCOMPARE(fixture.calculation.calcFlags, kCalcConfirmed);

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
        QCOMPARE(fixture.calculation.calcFlags, kCalcConfirmed);
        QCOMPARE(fixture.calculation.peakCount(), 0);
    }

    // Ctrl+G while results are shown, then Esc in the settings dialog (real key presses): both
    // windows, their table and a disabled point stay. Ctrl+G again opens with the choices made
    // before, and "開始" replaces the windows and the table. Save As names the windows anew.
    void calcCancelledKeepsTheResultsAndSaveAsRenamesThem() {
        Fixture fixture;
        fixture.settings.generalFlags |= kShowGraph | kShowResult;
        std::vector<PeakRecord> peaks;
        for (int i = 0; i < 10; ++i) {
            const bool ar40 = i % 2 == 1;
            peaks.push_back(PeakRecord{1.0 + i, ar40 ? 3.0 + 0.01 * i : 1.0 + 0.001 * i,
                                       ar40 ? 100.0 : 1.0, 0, ar40 ? "Ar40" : "Ar36"});
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
        const std::uint32_t flags = state.calcFlags;

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
