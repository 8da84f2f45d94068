// The main window and the shell windows, down to what the desktop adds to the core: Qt keys
// reaching the grid as its keys, scrolling and the mouse on the grid, every command reached by
// its keys, the save question, dropped files, the calculation commands, the start-up sequence,
// the run log, the About box and the help viewer.
#include "calc/calc_state.h"
#include "core/support/peak_records.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "data/peak_sheet.h"
#include "dialog_steps.h"
#include "editor/grid_editing.h"
#include "editor/grid_model.h"
#include "gui/calc/calculation_settings_dialog.h"
#include "gui/editor/grid_widget.h"
#include "gui/editor/main_window.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "gui/shell/about_box.h"
#include "gui/shell/application.h"
#include "gui/shell/help_viewer.h"
#include "gui/shell/log_window.h"
#include "gui/shell/show_help.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "results/point_editing.h"
#include "run_log_lines.h"
#include "settings/settings.h"
#include "shell/help_document.h"

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <clocale>
#include <functional>
#include <memory>
#include <tuple>

using namespace tarnova;
using gui::GridWidget;
using test::numberedPeaks;
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

// A grid widget of exactly 25 rows on a model of its own, shown and with the focus.
struct Grid {
    test::ScriptedPort port;
    GridModel model{port};
    GridWidget widget{model};

    Grid() {
        widget.resize(widget.sizeHint());
        widget.show();
        widget.activateWindow();
        widget.setFocus();
        if (!QTest::qWaitForWindowExposed(&widget)) {
            qWarning("grid not exposed");
        }
    }
    // Rows repainted by the events that action leaves behind.
    template <typename Action> long long paintedRowsAfter(Action action) {
        QCoreApplication::processEvents();
        widget.resetPaintedRows();
        action();
        QCoreApplication::processEvents();
        return widget.paintedRows();
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

const char* const kHelpFile = TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP";

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { std::setlocale(LC_NUMERIC, "C"); }
    void init() { setLoadPath("/nonexistent/"); }
    void cleanup() {
        if (auto* log = gui::LogWindow::current()) {
            log->close();
        }
        QVERIFY(!runLog().isOpen());
    }

    // A missing help file is reported on the first request of the process only (this test
    // runs first).
    void aMissingHelpFileIsToldOnTheFirstRequestOnly() {
        QTemporaryDir folder;
        setLoadPath(folder.path().toStdString() + "/");
        test::ScriptedPort port;
        QCOMPARE(gui::ShowHelp(port, kHelpContext, 39), 0);
        QCOMPARE(
            port.messages,
            (std::vector<test::RecordedMessage>{
                {"エラー", "ヘルプファイルがありません。ヘルプを表示することはできません。"}}));
        gui::ShowHelp(port, kHelpFinder, 0);
        QCOMPARE(port.messages.size(), size_t(1));
        gui::HelpViewer::instance()->close();
    }

    // Each Qt key reaches the model as the grid key or the character it stands for, and
    // combinations that belong to the window reach it not at all: a twin model that is given
    // the grid key directly ends in the same state.
    void qtKeysReachTheGridAsItsKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("gridKey"); // -1: a typed character, -2: nothing
        QTest::addColumn<QByteArray>("typed");
        const std::tuple<const char*, Qt::Key, GridKey> keys[] = {
            {"Left", Qt::Key_Left, GridKey::Left},
            {"Right", Qt::Key_Right, GridKey::Right},
            {"Up", Qt::Key_Up, GridKey::Up},
            {"Down", Qt::Key_Down, GridKey::Down},
            {"Return", Qt::Key_Return, GridKey::Enter},
            {"Enter", Qt::Key_Enter, GridKey::Enter},
            {"Home", Qt::Key_Home, GridKey::Home},
            {"End", Qt::Key_End, GridKey::End},
            {"Backspace", Qt::Key_Backspace, GridKey::Backspace},
            {"Insert", Qt::Key_Insert, GridKey::Insert},
            {"Delete", Qt::Key_Delete, GridKey::Delete},
            {"Escape", Qt::Key_Escape, GridKey::Escape},
            {"PageUp", Qt::Key_PageUp, GridKey::PageUp},
            {"PageDown", Qt::Key_PageDown, GridKey::PageDown},
        };
        for (const auto& [name, key, gridKey] : keys) {
            QTest::newRow(name) << int(key) << int(Qt::NoModifier) << QString() << int(gridKey)
                                << QByteArray();
        }
        const auto row = [](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers,
                            const QString& text, int gridKey, const QByteArray& typed) {
            QTest::newRow(name) << int(key) << int(modifiers) << text << gridKey << typed;
        };
        row("Ctrl+Down moves", Qt::Key_Down, Qt::ControlModifier, {}, int(GridKey::Down), {});
        row("Alt+Down is the window's", Qt::Key_Down, Qt::AltModifier, {}, -2, {});
        row("digit", Qt::Key_5, Qt::NoModifier, "5", -1, "5");
        row("Shift+A", Qt::Key_A, Qt::ShiftModifier, "A", -1, "A");
        row("kana: its lead byte", Qt::Key_unknown, Qt::NoModifier, "ア", -1, "\x83");
        row("Ctrl+7", Qt::Key_7, Qt::ControlModifier, "7", -2, {});
        row("Alt+z", Qt::Key_Z, Qt::AltModifier, "z", -2, {});
        row("Meta+w", Qt::Key_W, Qt::MetaModifier, "w", -2, {});
        row("Tab", Qt::Key_Tab, Qt::NoModifier, "\t", -2, {});
    }
    void qtKeysReachTheGridAsItsKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(int, gridKey);
        QFETCH(QByteArray, typed);
        Grid grid;
        test::ScriptedPort twinPort;
        GridModel twin(twinPort);
        // Both on row 30 of 100, in the Time column, with a digit typed.
        for (GridModel* model : {&grid.model, &twin}) {
            model->AttachPeaks(numberedPeaks(100));
            model->MoveCursor(30, kTimeColumn);
            TypeCharacter(*model, '7');
        }
        QKeyEvent press(QEvent::KeyPress, key == Qt::Key_unknown ? 0 : key,
                        Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&grid.widget, &press);
        if (gridKey >= 0) {
            PressGridKey(twin, static_cast<GridKey>(gridKey));
        }
        for (const char c : typed) {
            TypeCharacter(twin, c);
        }
        QCOMPARE(grid.model.cursorRow(), twin.cursorRow());
        QCOMPARE(grid.model.cursorColumn(), twin.cursorColumn());
        QCOMPARE(grid.model.GetRowCount(), twin.GetRowCount());
        QCOMPARE(grid.model.editBuffer().text, twin.editBuffer().text);
        QCOMPARE(grid.model.cellText(30, kTimeColumn), twin.cellText(30, kTimeColumn));
        QCOMPARE(grid.model.IsModified(), twin.IsModified());
        QCOMPARE(grid.port.beeps, twinPort.beeps);
        QVERIFY(grid.widget.hasFocus());
    }

    // The scroll bar, its dragged thumb and the wheel move the view; a scroll by a line
    // repaints only the line it uncovers, a cursor move the two rows it touches.
    void theScrollBarAndTheWheelMoveTheView() {
        Grid grid;
        QScrollBar* bar = grid.widget.verticalScrollBar();
        QVERIFY(!bar->isEnabled()); // 25 empty rows cannot scroll
        grid.model.AttachPeaks(numberedPeaks(100));
        QVERIFY(bar->isEnabled());
        QCOMPARE(bar->maximum(), 76); // the last first row is 75
        const auto top = [&grid] { return grid.model.topRow(); };
        // Each step and the top row after it; the bar's value is one more. A page down near
        // the end stops where the view ends with the last row.
        const std::pair<QAbstractSlider::SliderAction, int> steps[] = {
            {QAbstractSlider::SliderSingleStepSub, 0}, {QAbstractSlider::SliderSingleStepAdd, 1},
            {QAbstractSlider::SliderPageStepAdd, 26},  {QAbstractSlider::SliderPageStepAdd, 51},
            {QAbstractSlider::SliderPageStepAdd, 75},  {QAbstractSlider::SliderPageStepSub, 50}};
        for (const auto& [action, expected] : steps) {
            bar->triggerAction(action);
            QCOMPARE(top(), expected);
            QCOMPARE(bar->value(), expected + 1);
        }
        bar->setSliderDown(true);
        bar->setSliderPosition(31);
        QCOMPARE(top(), 30);
        bar->setSliderDown(false);

        const auto turn = [&grid](int degrees) {
            const QPoint at(20, 20);
            QWheelEvent wheel(at, grid.widget.viewport()->mapToGlobal(at), {},
                              QPoint(0, degrees * 8), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid.widget.viewport(), &wheel);
        };
        turn(-15); // one notch towards the user
        const int turned = top();
        QVERIFY(turned > 30);
        QCOMPARE(bar->value(), turned + 1);
        turn(15);
        QVERIFY(top() < turned);

        QVERIFY(grid.paintedRowsAfter(
                    [bar] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }) <= 2);
        grid.model.MoveCursor(40, kElemColumn);
        QCOMPARE(grid.paintedRowsAfter([&grid] { QTest::keyClick(&grid.widget, Qt::Key_Down); }),
                 2LL);
    }

    // A value or label wider than its cell is marked, never cut into another value.
    void overflowingCellsAreMarked_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<double>("value");
        // "#": only "#" marks, as many as fit; "#?": the whole text, or only marks where it
        // does not fit in the cell's pixels
        QTest::addColumn<QString>("shown");
        QTest::newRow("time fits") << int(kTimeColumn) << 1234.5 << "1234.50000";
        QTest::newRow("time one wider") << int(kTimeColumn) << 12345.25 << "12345.25000";
        QTest::newRow("time 10000.02") << int(kTimeColumn) << 10000.02 << "#?";
        QTest::newRow("time 1234567.89") << int(kTimeColumn) << 1234567.89 << "#";
        QTest::newRow("range 1E+12") << int(kRangeColumn) << 1e12 << "#";
        QTest::newRow("label") << int(kElemColumn) << 0.0 << QString(QChar(0x2026));
    }
    void overflowingCellsAreMarked() {
        QFETCH(int, column);
        QFETCH(double, value);
        QFETCH(QString, shown);
        Grid grid;
        QVERIFY(grid.model.SetColumnFormat(kTimeColumn, 10, 5, false));
        PeakRecord peak{1.5, 2.0, 3.0, {}, "Ar40extra"};
        if (column == kTimeColumn) {
            peak.time = value;
        } else if (column == kRangeColumn) {
            peak.range = value;
        }
        grid.model.AttachPeaks({peak, peak});
        grid.model.MoveCursor(1, column);
        const int width = grid.model.GetColumnFormat(column);
        for (const int row : {0, 1}) { // the cursor's cell too
            const QString drawn = grid.widget.shownText(row, column);
            if (shown == "#?" && drawn == "10000.02000") {
                continue;
            }
            if (shown.startsWith("#")) {
                QVERIFY2(drawn.size() >= width && drawn.count('#') == drawn.size(),
                         qPrintable(drawn));
            } else if (shown == QString(QChar(0x2026))) {
                QVERIFY2(drawn.startsWith("Ar40") && drawn.endsWith(shown), qPrintable(drawn));
            } else {
                QCOMPARE(drawn, shown);
            }
        }
        // The cell keeps its whole text.
        QCOMPARE(grid.model.cellText(0, kTimeColumn).size(),
                 formatFixed(peak.time, 10, 5, true).size());
    }

    // A click puts the cursor on the cell under it, except on Num and Peak and with the right
    // button; the cursor's cell is inverted and shows what is typed.
    void theMouseSelectsACellAndTheCursorCellIsInverted() {
        Grid grid;
        grid.model.AttachPeaks(numberedPeaks(100));
        grid.model.MoveCursor(60, kElemColumn);
        const int top = grid.model.topRow();
        const std::array<int, 5> x = grid.model.GetColumnBorders(grid.widget.charWidth());
        const int cy = grid.widget.rowHeight();
        QWidget* cells = grid.widget.viewport();
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[2] + 3, 3 * cy + cy / 2));
        QCOMPARE(grid.model.cursorRow(), top + 3);
        QCOMPARE(grid.model.cursorColumn(), int(kHeightColumn));
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[0] - 2, 5 * cy + 2));
        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[4] + 5, 5 * cy + 2));
        QTest::mouseClick(cells, Qt::RightButton, {}, QPoint(x[1] + 5, 5 * cy + 2));
        QCOMPARE(grid.model.cursorRow(), top + 3);
        QCOMPARE(grid.model.cursorColumn(), int(kHeightColumn));

        QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(x[1] + 3, 1 * cy + cy / 2));
        QTest::keyClicks(&grid.widget, ".9");
        QVERIFY(grid.model.displayText(top + 1, kTimeColumn).ends_with(".90"));
        const QImage image = cells->grab().toImage();
        const QColor base = grid.widget.palette().color(QPalette::Base);
        QCOMPARE(image.pixelColor(x[1] + 2, cy + 1), grid.widget.palette().color(QPalette::Text));
        QCOMPARE(image.pixelColor(x[2] + 2, cy + 1), base);
        QCOMPARE(image.pixelColor(x[1] + 2, 1), base);
    }

    // The widget's column borders are the model's in character widths inside the frame, also
    // when the Num column widens for the last row number; a shown cell is the model's text.
    void bordersAndCellsFollowTheModel() {
        Grid grid;
        QCOMPARE(grid.widget.viewport()->height(), 25 * grid.widget.rowHeight());
        for (const int rows : {3, 100000}) {
            grid.model.AttachPeaks(numberedPeaks(rows));
            grid.model.MoveCursor(rows - 1, kElemColumn);
            QCoreApplication::processEvents();
            const auto model = grid.model.GetColumnBorders();
            for (std::size_t i = 0; i < model.size(); ++i) {
                QCOMPARE(grid.widget.columnBorders()[i],
                         model[i] * grid.widget.charWidth() + grid.widget.frameWidth());
            }
            QCOMPARE(grid.widget.shownText(rows - 1, kNumColumn),
                     QString::fromStdString(grid.model.cellText(rows - 1, kNumColumn)));
        }
        QCOMPARE(grid.widget.shownText(99999, kNumColumn), QString("100000"));
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
        QVERIFY(gui::LogWindow::open());
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

    // Closing a changed sheet asks: Cancel keeps the window, Yes saves (a cancelled save dialog
    // keeps the window too), No closes.
    void closeAsksWhenTheSheetWasChanged() {
        Fixture fixture;
        fixture.window->show();
        QVERIFY(fixture.window->close()); // unchanged: no question
        QVERIFY(fixture.port.messages.empty());

        fixture.window->show();
        fixture.grid.AttachPeaks({PeakRecord{1.5, 2.0, 3.0, {}, "Ar40"}});
        QTest::keyClick(fixture.window->grid(), Qt::Key_Backspace); // a change to the label
        fixture.port.answers = {Answer::Cancel, Answer::Yes};
        QVERIFY(!fixture.window->close());
        QCOMPARE(fixture.port.messages.size(), size_t(1));
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

    // New asks before changes go, names the window anew and starts a fresh history.
    void newAsksSetsTheTitleAndStartsAFreshHistory() {
        Fixture fixture;
        QTest::keyClick(fixture.window->grid(), Qt::Key_A);
        fixture.port.answers = {Answer::Cancel};
        fixture.window->runCommand(gui::kCommandNew);
        QVERIFY(fixture.grid.IsModified());
        fixture.port.answers = {Answer::No};
        fixture.window->runCommand(gui::kCommandNew);
        QVERIFY(!fixture.grid.IsModified());
        QCOMPARE(fixture.grid.GetRowCount(), 25);
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
        QVERIFY(copied.contains("\nアr\t2.5\t3.25\t1e-15\t"));
        fixture.window->runCommand(gui::kCommandNew);
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
        QCOMPARE(fixture.grid.row(1)->peak.elem, std::string("\x83\x41r"));
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 25);
        QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(fixture.grid.GetRowCount(), 27);
    }

    void droppingThreeFilesLoadsOneAndStartsTwoProcesses() {
        QVERIFY(gui::LogWindow::open());
        Fixture fixture;
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile("/d/a.pks"), QUrl::fromLocalFile("/d/b.pks"),
                      QUrl::fromLocalFile("/d/c.pks")});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        // Delivered straight to the window: the application routes drops only during a drag.
        static_cast<QObject*>(fixture.window.get())->event(&drop);
        QCOMPARE(fixture.started,
                 (std::vector<std::pair<std::string, std::string>>{
                     {"/nonexistent/tarnova", "/d/b.pks"}, {"/nonexistent/tarnova", "/d/c.pks"}}));
        QVERIFY(runLogLines().contains("/d/a.pks: Load"));
    }

    // A posted RECALC runs after the current command and keeps the lists of the calculation;
    // CALC extracts the peaks again, and a closed settings dialog leaves the calculation.
    void recalcRunsAgainAndCalcStartsAfresh() {
        QVERIFY(gui::LogWindow::open());
        Fixture fixture;
        fixture.grid.AttachPeaks({PeakRecord{1.0, 2.0, 1.0, {}, "Ar40"},
                                  PeakRecord{2.0, 0.5, 1.0, {}, "Ar36"},
                                  PeakRecord{1.5, 2.1, 1.0, {}, "Ar40"}});
        fixture.calculation.calcFlags = CalcFlag::Confirmed;
        const int before = runLog().lineCount();
        QCoreApplication::postEvent(fixture.window.get(),
                                    new QEvent(gui::MainWindow::recalcEventType()));
        QCOMPARE(runLog().lineCount(), before);
        QCoreApplication::sendPostedEvents(fixture.window.get(),
                                           gui::MainWindow::recalcEventType());
        const QStringList recalc = runLogLines().mid(before);
        QCOMPARE(recalc.value(0), QString("RECALC command"));
        QVERIFY(!recalc.contains("Retrieve the peak list."));

        const int calcStart = runLog().lineCount();
        ModalCloser closer;
        fixture.window->action(gui::kCommandCalc)->trigger();
        const QStringList calc = runLogLines().mid(calcStart);
        QVERIFY(calc.indexOf("Retrieve the peak list.") > 0);
        QVERIFY(calc.indexOf("The list is sorted.") > calc.indexOf("Retrieve the peak list."));
        QVERIFY(!fixture.calculation.results);
        QCOMPARE(fixture.calculation.calcFlags, CalcFlag::Confirmed);
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
        ClickDataPoint((*state.results)[0], 2, PointButton::Left);
        const int active = (*state.results)[0].activeCount;

        bool preselected = false;
        pressCtrlG([&preselected](Dialog& dialog) {
            preselected = dialog.numeratorList()->item(1)->isSelected() &&
                          !dialog.numeratorList()->item(0)->isSelected() &&
                          dialog.denominatorList()->item(0)->isSelected();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(preselected);
        QVERIFY(graph && graph->isVisible() && result && result->isVisible());
        QCOMPARE(state.resultCount(), 1);
        QCOMPARE((*state.results)[0].activeCount, active);

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

    // The grid stands below the label strip, shows 25 rows, and both are drawn.
    void gridStandsBelowTheLabelStripAndShowsTwentyFiveRows() {
        QVERIFY(gui::LogWindow::open());
        Fixture fixture;
        fixture.window->show();
        QCOMPARE(fixture.window->minimumSize(), fixture.window->maximumSize());
        const int cy = fixture.window->centralWidget()->fontMetrics().height();
        GridWidget* grid = fixture.window->grid();
        QCOMPARE(grid->y(), cy + 1);
        QVERIFY(grid->viewport()->height() >= 25 * cy);
        QVERIFY(grid->viewport()->width() >= grid->charWidth() * 48);
        QVERIFY(QTest::qWaitForWindowExposed(fixture.window.get()));
        fixture.window->repaint();
        QVERIFY(runLogLines().contains("Label cells have been drawn."));
    }

    // The desktop's start-up with -log: the core's lines (tested with the core) come first; the
    // desktop adds its own after the command line's: the main window's size, its grid and the
    // drop target, then the first file. Further files start processes of the program.
    void logOptionOpensTheLogAndFurtherFilesStartProcesses() {
        test::ScriptedPort port;
        test::ScriptedFilePort files;
        QStringList started;
        gui::Application application(
            port, files, [&](const std::string& executable, const std::string& file) {
                started << QString::fromStdString(executable + " | " + file);
            });
        QVERIFY(application.start({"-log", "a.pks", "b.pks", "c.pks"}));
        QVERIFY(gui::LogWindow::current());
        QCOMPARE(gui::LogWindow::current()->size(), QSize(300, 200));
        const QString folder = QCoreApplication::applicationDirPath() + "/";
        QCOMPARE(started, QStringList({folder + "tarnova | b.pks", folder + "tarnova | c.pks"}));

        const QStringList lines = runLogLines();
        QCOMPARE(lines.value(0), QString("Start logging."));
        const qsizetype load = lines.indexOf("a.pks: Load");
        QVERIFY(load > 0);
        QCOMPARE(lines.mid(load, 4), QStringList({"a.pks: Load", "b.pks: Fork", "c.pks: Fork",
                                                  "Calicurating the size of editor."}));
        const qsizetype sizeLine = load + 4 + kGridColumnCount;
        QVERIFY(lines.value(sizeLine).startsWith("Window size is ("));
        QCOMPARE(
            lines.mid(sizeLine + 1, 3),
            QStringList({"Grid sheet is created.", "File drop is acceptable.", "File is loaded."}));
    }

    void theFirstFileLoadsIntoTheMainWindow() {
        test::ScriptedPort port;
        test::ScriptedFilePort files;
        gui::Application application(port, files, [](const std::string&, const std::string&) {});
        QVERIFY(application.start({TARNOVA_SOURCE_DIR "/samples/argon_air.pks"}));
        QVERIFY(port.messages.empty());
        QVERIFY(application.grid().GetRowCount() > 0);
        QCOMPARE(files.titles, std::vector<std::string>{"Tarnova - argon_air.pks"});
        ReleaseDataNote();
    }

    // The log window's scroll bar moves the log's first line; a log opened again is empty and
    // keeps the top line index. Its lines show file names and code page 932 document texts.
    void theLogWindowScrollsAndShowsItsLines() {
        QVERIFY(gui::LogWindow::open());
        auto* log = gui::LogWindow::current();
        log->show();
        for (int i = 1; i <= 101; ++i) {
            LogLine("line " + std::to_string(i));
        }
        runLog().toTop();
        auto* bar = log->findChild<QScrollBar*>();
        QVERIFY(bar);
        QCOMPARE(bar->maximum(), 100 - log->height() / log->fontMetrics().height());
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(runLog().firstVisibleLine(), 1);
        log->close();
        QVERIFY(gui::LogWindow::open());
        QCOMPARE(runLog().lineCount(), 0);
        QCOMPARE(runLog().firstVisibleLine(), 1);

        QCOMPARE(gui::logLineText("\"\x8E\x8E\x97\xBF\",\"2026/11/24\""),
                 QString("\"試料\",\"2026/11/24\""));
        QCOMPARE(gui::logLineText("/home/u/データ/a.pks: Load"),
                 QString("/home/u/データ/a.pks: Load"));
    }

    // A click on the About box's icon with Shift held opens the run log, or finds it open.
    void shiftClickOnTheAboutIconOpensTheLog() {
        gui::AboutBox about;
        QVERIFY(!about.iconLabel()->pixmap().isNull());
        about.show();
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton);
        QVERIFY(!gui::LogWindow::current());
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(gui::LogWindow::current());
        QCOMPARE(runLog().line(0), std::string("Start logging."));
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(runLog().lineCount(), 2);
    }

    // A dialog's Help button opens the viewer while the dialog is modal, also when the viewer
    // was open before, and the viewer takes input through the window system.
    void helpOpenedFromAModalDialogTakesInput() {
        gui::HelpViewer::instance()->showTopic(kHelpFile, "ctx39");
        QDialog dialog;
        bool clicked = false;
        QTimer::singleShot(0, &dialog, [&] {
            auto* viewer = gui::HelpViewer::instance();
            viewer->showTopic(kHelpFile, "ctx43");
            QVERIFY(QTest::qWaitForWindowExposed(viewer));
            auto* contents = viewer->findChild<QPushButton*>("contents");
            QVERIFY(contents);
            QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {},
                              contents->mapTo(viewer, contents->rect().center()));
            clicked = viewer->currentTopic() == "contents";
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(clicked);
        gui::HelpViewer::instance()->close();
    }

    // The viewer shows one topic and follows its links.
    void theViewerShowsOneTopicAndFollowsLinks() {
        auto* viewer = gui::HelpViewer::instance();
        viewer->showTopic(kHelpFile, "ctx39");
        QVERIFY(viewer->browser()->toPlainText().contains("メインウィンドウ"));
        QVERIFY(!viewer->browser()->toPlainText().contains("グラフウィンドウ\n"));
        emit viewer->browser()->anchorClicked(QUrl("#ctx1"));
        QCOMPARE(viewer->currentTopic(), QString("ctx1"));
        viewer->close();
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
