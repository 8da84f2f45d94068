// The result window and the graph window on a calculation of the argon sample: sheets and their
// menus, the two windows following each other, clicks on points, the Toggle dialog, copies,
// Save As, the test dialogs, and a sheet whose points are all disabled.
// Mouse events go through the window system as a user's do, so that a double click arrives as
// a press, a release and the double-click event.
#define QTEST_QPA_MOUSE_HANDLING

#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/regression_method.h"
#include "core/support/recording_surface.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "document/load_peak_file.h"
#include "editor/grid_model.h"
#include "gui/result_calculation.h"
#include "gui/results/exclusions_dialog.h"
#include "gui/results/graph_window.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "gui/results/sheet_list_dialog.h"
#include "gui/results/test_dialogs.h"
#include "gui/results/toggle_dialog.h"
#include "gui/shell/log_window.h"
#include "platform/codepage.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "render/qpainter_surface.h"
#include "results/exclusion_list.h"
#include "results/point_editing.h"
#include "results/result_export.h"
#include "results/result_sheet.h"
#include "run_log_lines.h"
#include "settings/settings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <memory>

using namespace tarnova;
using gui::GraphWindow;
using gui::ResultWindow;
using test::answerNextDialog;
using test::Calculation;
using test::kSample;
using test::MessageCatcher;

namespace {

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible()) {
            texts << (action->isSeparator() ? QString("-")
                      : action->isChecked() ? "[" + action->text() + "]"
                                            : action->text());
        }
    }
    return texts;
}

// tarnova-cli reduce of file with the choices of the calculation above and the default options.
QByteArray reduce(const QString& file, const QTemporaryDir& folder) {
    QProcess cli;
    cli.start(TARNOVA_CLI_PATH,
              {"reduce", file, "--ini", folder.filePath("none.ini"), "--numerator", "Ar40",
               "--denominator", "Ar36", "--all-abundances"});
    cli.waitForFinished();
    return cli.readAllStandardOutput();
}

// The record lines of an IRD text, each without its point flags.
QList<QByteArray> recordValues(const QByteArray& ird) {
    QList<QByteArray> records;
    for (const QByteArray& line : ird.split('\n')) {
        if (line.count('\t') > 10 && !line.startsWith('#')) {
            // The nine record columns and the line's seven, without the point flags and the
            // counts of excluded points that may follow them.
            records << line.split('\t').mid(0, 16).join('\t');
        }
    }
    return records;
}

// Every record of the calculation as copied (the IRD text), with the flags of every point: what
// the windows show and what undo and redo must bring back.
QString allRecords(const CalcState& state) {
    QString text = QString::fromStdString(cp932ToUtf8(*SheetsText(state, kAllSheets, nullptr, {})));
    for (const RegressionResult& record : *state.results) {
        text += QString::fromStdString(record.name()) + ":";
        for (const DataPoint& point : PointsOf(record)) {
            text += QString::number((point.flags & ~PointFlag::OffGraph).raw());
        }
        text += "\n";
    }
    return text;
}

// The menu path from the menu bar to action, as the command table names it.
QString menuPath(const QMainWindow& window, const QAction* action) {
    QStringList path;
    for (QObject* menu = action->associatedObjects().value(0); menu != nullptr;) {
        auto* owner = qobject_cast<QMenu*>(menu);
        if (owner == nullptr) {
            break;
        }
        path.prepend(owner->title());
        menu = owner->menuAction()->associatedObjects().value(0);
        if (menu == window.menuBar()) {
            break;
        }
    }
    return path.join('/');
}

// Both windows, the graph window first.
QList<gui::ResultViewWindow*> windowsOf(const Calculation& calculation) {
    return {calculation.graph(), calculation.result()};
}

} // namespace

class ResultViewsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { setLoadPath("/nonexistent/"); }

    void bothWindowsOpenOnSheetZeroWithTheirMenus() {
        Calculation calculation;
        GraphWindow* graph = calculation.graph();
        ResultWindow* result = calculation.result();
        QVERIFY(graph != nullptr && result != nullptr);
        QCOMPARE(graph->objectName(), QString("graphwindow"));
        QCOMPARE(result->objectName(), QString("resultwindow"));
        QCOMPARE(graph->windowTitle(), QString("Graph - argon_air.pks"));
        QCOMPARE(result->windowTitle(), QString("Result - argon_air.pks"));
        QCOMPARE(graph->currentSheet(), 0);
        QCOMPARE(result->currentSheet(), 0);
        QCOMPARE(calculation.views->link().graph, graph);
        QCOMPARE(calculation.views->link().result, result);

        QCOMPARE(actionTexts(result->sheetMenu()),
                 QStringList({"&Top", "&Previous", "&Next", "&Bottom", "-", "[Ar36]", "Ar37",
                              "Ar38", "Ar39", "Ar40", "Ar40/Ar36"}));
        QCOMPARE(actionTexts(graph->sheetMenu()), actionTexts(result->sheetMenu()));

        // The drawing areas measure 60 x 25 and 70 x 15 average character widths by line
        // heights of the drawing font; the result window's is wider when a sheet needs it.
        const FontMetrics units = render::MetricsOf(render::DrawingFont());
        QCOMPARE(graph->canvas()->size(),
                 QSize(60 * units.averageCharWidth, 25 * units.lineHeight));
        QVERIFY(result->canvas()->width() >= 70 * units.averageCharWidth);
        QCOMPARE(result->canvas()->height(), 15 * units.lineHeight);
    }

    void windowsFollowEachOtherWhenCorrespondent_data() {
        QTest::addColumn<bool>("correspondent");
        QTest::newRow("correspondent") << true;
        QTest::newRow("independent") << false;
    }
    void windowsFollowEachOtherWhenCorrespondent() {
        QFETCH(bool, correspondent);
        Calculation calculation(
            GeneralFlag::ShowGraph | GeneralFlag::ShowResult |
            (correspondent ? GeneralFlags(GeneralFlag::Correspondent) : GeneralFlags()));
        GraphWindow* graph = calculation.graph();
        ResultWindow* result = calculation.result();
        const int last = calculation.ratioSheet();

        result->runCommand(gui::kViewBottom);
        QCoreApplication::processEvents();
        QCOMPARE(result->currentSheet(), last);
        QCOMPARE(graph->currentSheet(), correspondent ? last : 0);
        QCOMPARE(actionTexts(result->sheetMenu()).last(), QString("[Ar40/Ar36]"));

        graph->runCommand(gui::kViewFirstSheet + 2);
        QCoreApplication::processEvents();
        QCOMPARE(graph->currentSheet(), 2);
        QCOMPARE(result->currentSheet(), correspondent ? 2 : last);

        // Moves past the ends and empty slots do nothing.
        graph->runCommand(gui::kViewTop);
        graph->runCommand(gui::kViewPrevious);
        graph->runCommand(gui::kViewFirstSheet + 8);
        QCOMPARE(graph->currentSheet(), 0);
        graph->runCommand(gui::kViewNext);
        QCOMPARE(graph->currentSheet(), 1);
    }

    void theSheetListChoosesASheetAndAnEmptyChoiceDoesNothing() {
        Calculation calculation;
        ResultWindow* result = calculation.result();
        answerNextDialog<gui::SheetListDialog>([](gui::SheetListDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("シート一覧"));
            QCOMPARE(dialog.list()->count(), 6);
            QCOMPARE(dialog.list()->currentRow(), 0);
            dialog.list()->clearSelection();
            dialog.accept();
        });
        result->runCommand(gui::kViewSheetList);
        QCOMPARE(result->currentSheet(), 0);
        answerNextDialog<gui::SheetListDialog>([](gui::SheetListDialog& dialog) {
            dialog.list()->setCurrentRow(4);
            dialog.accept();
        });
        result->runCommand(gui::kViewSheetList);
        QCOMPARE(result->currentSheet(), 4);
    }

    // Edit -> Regression checks the method asked for the sheet shown, and only that one.
    void theRegressionMenuChecksTheMethodOfTheSheet() {
        Calculation calculation;
        ResultWindow* result = calculation.result();
        QAction* parabola = result->action(gui::kViewFirstMethod + kParabolicMethod);
        QAction* line = result->action(gui::kViewFirstMethod + kLinearMethod);
        QVERIFY(parabola != nullptr && line != nullptr);
        auto* menu = qobject_cast<QMenu*>(parabola->associatedObjects().value(0));
        QVERIFY(menu != nullptr);
        const auto opened = [menu] { QMetaObject::invokeMethod(menu, "aboutToShow"); };
        opened();
        QVERIFY(line->isChecked() && !parabola->isChecked());
        result->runCommand(gui::kViewFirstMethod + kParabolicMethod);
        opened();
        QVERIFY(parabola->isChecked() && !line->isChecked());
        result->runCommand(gui::kViewNext); // another sheet keeps the line
        opened();
        QVERIFY(line->isChecked() && !parabola->isChecked());
    }

    // The result window shows the longest sheet whole when it opens, and scrolls when it is
    // made smaller than the sheet.
    void resultWindowHoldsItsLongestSheetAndScrolls() {
        Calculation calculation;
        ResultWindow* result = calculation.result();
        QVERIFY(QTest::qWaitForWindowExposed(result));
        auto* scroller = qobject_cast<QScrollArea*>(result->centralWidget());
        QVERIFY(scroller != nullptr);
        QWidget* canvas = result->canvas();
        // The widest line of every sheet, measured in the canvas's font, fits the view.
        const QFontMetrics font(canvas->font(), canvas);
        for (int sheet = 0; sheet < calculation.state.resultCount(); ++sheet) {
            calculation.show(sheet);
            QVERIFY2(canvas->minimumWidth() <= scroller->viewport()->width(),
                     qPrintable(QString::number(sheet)));
            QVERIFY(canvas->minimumHeight() <= scroller->viewport()->height());
            // Every line the sheet draws, measured in the font, ends inside the canvas.
            test::RecordingSurface lines;
            lines.metrics = render::MetricsOf(canvas->font(), canvas);
            SurfaceRect area{0, 0, 0, 0};
            DrawResultSheet(lines, area, calculation.record(sheet),
                            currentDataNote() ? &*currentDataNote() : nullptr,
                            calculation.state.calcFlags, calculation.settings.resultFlags,
                            RegressionMethods().front().describe);
            for (const test::Primitive& line : lines.ofKind(test::PrimitiveKind::Text)) {
                QVERIFY2(line.from.x + font.horizontalAdvance(QString::fromStdString(line.text)) <=
                             canvas->minimumWidth(),
                         line.text.c_str());
            }
            QVERIFY(area.top <= canvas->minimumHeight());
            QVERIFY(!scroller->horizontalScrollBar()->isVisible());
            QVERIFY(!scroller->verticalScrollBar()->isVisible());
        }
        // Made small, it scrolls to the sheet's right and bottom.
        result->resize(160, 90);
        QTest::qWait(20);
        QVERIFY(scroller->horizontalScrollBar()->isVisible());
        QVERIFY(scroller->verticalScrollBar()->isVisible());
        QCOMPARE(scroller->horizontalScrollBar()->maximum(),
                 canvas->minimumWidth() - scroller->viewport()->width());
        QCOMPARE(canvas->size(), canvas->minimumSize());
    }

    // The graph window can be resized, and the graph fills its new client area.
    void graphWindowDrawsTheGraphToItsSize() {
        Calculation calculation;
        GraphWindow* graph = calculation.graph();
        calculation.show(calculation.ratioSheet());
        const int w = render::MetricsOf(graph->canvas()->font(), graph->canvas()).averageCharWidth;
        for (const QSize size : {QSize(700, 520), QSize(300, 260)}) {
            graph->resize(size);
            QTest::qWait(20);
            graph->repaintNow();
            const std::optional<SurfaceRect>& plot = graph->pointPositions().plot;
            QVERIFY(plot.has_value());
            QCOMPARE(plot->right, graph->canvas()->width() - 5 - w);
            QVERIFY(plot->bottom < graph->canvas()->height() - 5);
            QVERIFY(plot->bottom > graph->canvas()->height() / 2);
            QVERIFY(calculation.drawn(0).x() >= plot->left);
        }
    }

    // A click on a point's marker, or up to 2 pixels beyond its ring, disables it; farther away
    // nothing happens; the sheet then equals a calculation of the file without that peak.
    void aClickTogglesThePointAndTheSheetEqualsTheFileWithoutItsPeak() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        RegressionResult& record = calculation.record(sheet);
        const int index = 4;
        QWidget* canvas = calculation.graph()->canvas();
        const QPoint point = calculation.drawn(index);
        const int radius = calculation.graph()->pointPositions().markerRadius;
        QVERIFY(radius >= 2);

        for (const QPoint away :
             {QPoint(radius + 3, 0), QPoint(0, -radius - 3), QPoint(radius + 2, radius + 2)}) {
            QTest::mouseClick(canvas, Qt::LeftButton, {}, point + away);
        }
        const int all = record.pointCount;
        QCOMPARE(record.activeCount, all);
        // On the ring.
        QTest::mouseClick(canvas, Qt::LeftButton, {}, point + QPoint(radius, -1));
        QCOMPARE(record.activeCount, all - 1);
        QVERIFY(!(*record.points)[index].isActive());

        // The same numbers as tarnova-cli reduce of the file without that peak.
        QTemporaryDir folder;
        const PeakRecord& peak = calculation.state.peaks[(*record.points)[index].peakIndex];
        QFile sample(kSample);
        QVERIFY(sample.open(QIODevice::ReadOnly));
        QByteArray shortened;
        const QByteArray removed =
            QByteArray::number(qRound(peak.time * 100)).rightJustified(5) + ",";
        for (const QByteArray& line : sample.readAll().split('\n')) {
            if (!line.startsWith(removed) || !line.contains("\"Ar40\"")) {
                shortened += line + (line.isEmpty() ? "" : "\n");
            }
        }
        const QString without = folder.filePath("without.pks");
        QFile file(without);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(shortened);
        file.close();
        QList<QByteArray> expected = recordValues(reduce(without, folder));
        QCOMPARE(expected.size(), 6);
        const std::optional<std::string> copied =
            SheetsText(calculation.state, kAllSheets, nullptr, {});
        // Every sheet but the abundance of Ar40, which still holds the peak.
        QList<QByteArray> shown = recordValues(QByteArray::fromStdString(*copied));
        QVERIFY(shown[4].startsWith("Ar40\tA\t"));
        shown.removeAt(4);
        expected.removeAt(4);
        QCOMPARE(shown, expected);
        QVERIFY(recordValues(reduce(kSample, folder)).last() != expected.last());

        // A double click toggles once; the right button only disables.
        const QPoint other = calculation.drawn(7);
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, other);
        QCOMPARE(record.activeCount, all - 2);
        QTest::mouseClick(canvas, Qt::RightButton, {}, calculation.drawn(7));
        QCOMPARE(record.activeCount, all - 2);
        calculation.result()->runCommand(gui::kViewEnableAll);
        QCOMPARE(record.activeCount, all);
    }

    // Edit -> Data Points -> Filter Outliers: offered only while the calculation has a filter;
    // it takes out the Ar38 peak that Chauvenet's criterion rejects (as tarnova-cli reduce
    // --filter chauvenet does); a click brings it back for good, Enable All lets the filter
    // decide again.
    void filterOutliersRunsTheCalculationsFilterOnTheSheet() {
        Calculation calculation;
        const int sheet = 2;
        calculation.show(sheet);
        RegressionResult& record = calculation.record(sheet);
        QCOMPARE(QString::fromStdString(record.sheetName), QString("Ar38"));
        const int all = record.pointCount;
        QAction* command = calculation.graph()->action(gui::kViewFilterOutliers);
        QVERIFY(command != nullptr);
        QVERIFY(calculation.result()->action(gui::kViewFilterOutliers) != nullptr);
        auto* points = qobject_cast<QMenu*>(command->parent());
        QVERIFY(points != nullptr);
        Q_EMIT points->aboutToShow();
        QVERIFY(!command->isEnabled());

        calculation.state.outlierFilter = {.rule = OutlierRule::Chauvenet};
        Q_EMIT points->aboutToShow();
        QVERIFY(command->isEnabled());
        calculation.graph()->runCommand(gui::kViewFilterOutliers);
        QCOMPARE(record.activeCount, all - 1);
        QCOMPARE((*record.points)[4].flags & kPointExclusionBits,
                 PointFlag::Disabled | PointFlag::ExcludedByFilter);

        calculation.graph()->repaintNow();
        QTest::mouseClick(calculation.graph()->canvas(), Qt::LeftButton, {}, calculation.drawn(4));
        QCOMPARE(record.activeCount, all);
        calculation.result()->runCommand(gui::kViewFilterOutliers);
        QCOMPARE(record.activeCount, all);
        calculation.result()->runCommand(gui::kViewEnableAll);
        calculation.result()->runCommand(gui::kViewFilterOutliers);
        QCOMPARE(record.activeCount, all - 1);
        QVERIFY(!(*record.points)[4].isActive());
    }

    // The graph window's Save As writes the picture its extension names to the path chosen.
    void graphSaveAsWritesThePictureNamed() {
        Calculation calculation;
        calculation.show(calculation.ratioSheet());
        QTemporaryDir folder;
        const QString target = folder.filePath("graph.png");
        answerNextDialog<QFileDialog>([target](QFileDialog& dialog) {
            dialog.selectFile(target);
            static_cast<QDialog&>(dialog).accept();
        });
        calculation.graph()->runCommand(gui::kViewSaveAs);
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("\x89PNG"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"graph.png"});
    }

    void saveAsWritesWhatReduceWrites() {
        Calculation calculation;
        QTemporaryDir folder;
        const QString target = folder.filePath("argon");
        answerNextDialog<QFileDialog>([target](QFileDialog& dialog) {
            QCOMPARE(dialog.nameFilters(), QStringList({"同位体比データ (*.[Ii][Rr][Dd])"}));
            dialog.selectFile(target);
            static_cast<QDialog&>(dialog).accept();
        });
        calculation.result()->runCommand(gui::kViewSaveAs);
        QFile saved(target + ".IRD");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), reduce(kSample, folder));

        // A file that cannot be written is named in a message; nothing is left behind.
        MessageCatcher catcher;
        const QString blocked = folder.filePath("missing/argon.IRD");
        answerNextDialog<QFileDialog>([blocked](QFileDialog& dialog) {
            dialog.selectFile(blocked);
            static_cast<QDialog&>(dialog).accept();
        });
        calculation.result()->runCommand(gui::kViewSaveAs);
        QCOMPARE(catcher.texts, QStringList({blocked}));
        QVERIFY(!QFile::exists(blocked));
    }

    void copiesGoToTheClipboard() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        ResultWindow* result = calculation.result();
        QClipboard* clipboard = QGuiApplication::clipboard();

        result->runCommand(gui::kViewCopy);
        const QString copied = clipboard->text();
        QVERIFY(copied.startsWith("SOURCE\t" + kSample + "\r\n"));
        QVERIFY(copied.contains("RECORDS\t1\r\nREGTYPE\t一次回帰\r\n"));
        QVERIFY(copied.contains("\r\nAr40/Ar36\tR\t"));
        result->runCommand(gui::kViewCopyAllSheets);
        QVERIFY(clipboard->text().contains("RECORDS\t6\r\n"));

        calculation.record(sheet).points->front().flags |= PointFlag::Disabled;
        result->runCommand(gui::kViewCopyDataPoints);
        const QStringList lines = clipboard->text().split("\r\n");
        QCOMPARE(lines.size(), calculation.record(sheet).pointCount + 3);
        QCOMPARE(lines[0], QString("AS-12 air standard, pipette 3\tAr40/Ar36"));
        QCOMPARE(lines[1], QString("#Inv\tTime\tData"));
        QVERIFY(lines[2].startsWith("X\t1.72\t"));
        QVERIFY(lines[3].startsWith("O\t2.47\t"));
        QCOMPARE(lines.last(), QString());

        calculation.graph()->runCommand(gui::kViewCopy);
        const QMimeData* pictures = clipboard->mimeData();
        for (const char* type : {"image/emf", "image/x-emf", "image/svg+xml", "image/png"}) {
            QVERIFY2(pictures->hasFormat(type), type);
        }
        QCOMPARE(QImage::fromData(pictures->data("image/png")).size(), QSize(640, 480));
        const QByteArray emf = pictures->data("image/emf");
        QCOMPARE(emf.mid(40, 4), QByteArray(" EMF"));
        QVERIFY(pictures->data("image/svg+xml").contains("<title>Ar40/Ar36</title>"));
    }

    // The keys of both windows, pressed on the active window: Page Down and Page Up walk
    // through the sheets, Ctrl+End and Ctrl+Home go to the last and the first, Ctrl+C copies
    // this sheet (result window) or the graph (graph window), F1 opens the window's help topic,
    // Ctrl+S and Ctrl+P start Save As and Print (their dialogs are closed unanswered).
    void keysOfBothWindows() {
        qputenv("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
        QVERIFY(gui::LogWindow::open());
        Calculation calculation;
        const int last = calculation.state.resultCount() - 1;
        QVERIFY(last >= 2);
        struct Walk {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int sheet;
        };
        const Walk walk[] = {
            {Qt::Key_PageDown, {}, 1},    {Qt::Key_PageDown, {}, 2},
            {Qt::Key_PageUp, {}, 1},      {Qt::Key_End, Qt::ControlModifier, last},
            {Qt::Key_PageDown, {}, last}, {Qt::Key_Home, Qt::ControlModifier, 0},
            {Qt::Key_PageUp, {}, 0},
        };
        for (gui::ResultViewWindow* window :
             {static_cast<gui::ResultViewWindow*>(calculation.result()),
              static_cast<gui::ResultViewWindow*>(calculation.graph())}) {
            const bool graph = window == calculation.graph();
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            window->selectSheet(0);
            for (const Walk& step : walk) {
                QTest::keyClick(window, step.key, step.modifiers);
                QCOMPARE(window->currentSheet(), step.sheet);
            }

            QApplication::clipboard()->clear();
            QTest::keyClick(window, Qt::Key_C, Qt::ControlModifier);
            const QMimeData* copied = QApplication::clipboard()->mimeData();
            if (graph) {
                QVERIFY(copied->hasFormat("image/emf"));
            } else {
                const std::string sheetName = calculation.record(0).sheetName;
                QVERIFY(copied->text().contains(QString::fromStdString(sheetName)));
            }

            MessageCatcher missingHelp;
            gui::LogWindow::current()->close(); // a fresh log, whose first line is the command's
            QVERIFY(gui::LogWindow::open());
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, Qt::Key_F1);
            QCOMPARE(test::runLogLines().value(0), QString("HELPTOPICS command"));

            for (const int command : {gui::kViewSaveAs, gui::kViewPrint}) {
                QSignalSpy started(window->action(command), &QAction::triggered);
                QStringList shown;
                answerNextDialog<QDialog>(
                    [&shown](QDialog& dialog) { shown << dialog.metaObject()->className(); });
                window->activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(window));
                QTest::keyClick(window, command == gui::kViewSaveAs ? Qt::Key_S : Qt::Key_P,
                                Qt::ControlModifier);
                QCOMPARE(started.count(), 1);
                QCOMPARE(shown, QStringList({"QFileDialog"}));
            }
        }
        gui::LogWindow::current()->close();
    }

    // The list selects exactly the enabled points, whatever runs they form, and a click on an
    // item (a real mouse event) turns that point over and no other.
    void theToggleDialogSelectsExactlyTheEnabledPoints() {
        const std::vector<std::vector<bool>> patterns = {
            {true, true, true, true, true},
            {false, false, false, false, false},
            {true, false, true, false, true},
            {false, true, true, false, false},
            {false, false, false, false, true},
            {true},
            {},
        };
        for (const std::vector<bool>& pattern : patterns) {
            RegressionResult record;
            record.points.emplace();
            for (std::size_t i = 0; i < pattern.size(); ++i) {
                DataPoint point;
                point.time = static_cast<double>(i);
                point.value = 2.0 * static_cast<double>(i);
                point.flags = pattern[i] ? PointFlags() : PointFlags(PointFlag::Disabled);
                record.points->push_back(point);
            }
            record.pointCount = static_cast<int>(pattern.size());
            gui::ToggleDialog dialog(record, nullptr, {});
            QCOMPARE(dialog.list()->count(), static_cast<int>(pattern.size()));
            std::vector<bool> shown;
            for (int row = 0; row < dialog.list()->count(); ++row) {
                shown.push_back(dialog.list()->item(row)->isSelected());
            }
            QCOMPARE(shown, pattern);
            QCOMPARE(dialog.enabledPoints(), pattern);
            if (pattern.size() < 2) {
                continue;
            }
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QListWidget* list = dialog.list();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            std::vector<bool> expected = pattern;
            expected[1] = !expected[1];
            QCOMPARE(dialog.enabledPoints(), expected);
        }
    }

    // With eight active points the tests have 6 degrees of freedom; at 5 % the percentage
    // points are those of t(0.025, 6) = 2.446912 and F(0.05; 1, 6) = 5.987378 (tables).
    void theTestDialogsAtFivePercentWithEightActivePoints_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("point");
        QTest::addColumn<QString>("hypothesis");
        QTest::newRow("coefficient") << int(gui::kViewCoefficientTest) << "2.44691"
                                     << "r=0";
        QTest::newRow("angularity") << int(gui::kViewAngularityTest) << "5.98738"
                                    << "a=0";
    }
    void theTestDialogsAtFivePercentWithEightActivePoints() {
        QFETCH(int, command);
        QFETCH(QString, point);
        QFETCH(QString, hypothesis);
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        RegressionResult& record = calculation.record(sheet);
        std::vector<bool> enabled(static_cast<std::size_t>(record.pointCount), false);
        std::fill_n(enabled.begin(), 8, true);
        ApplyEnabledPoints(record, enabled);

        QString shownPoint;
        QString verdict;
        answerNextDialog<gui::SheetTestDialog>([&](gui::SheetTestDialog& dialog) {
            QCOMPARE(dialog.field("標本数")->text(), QString("8"));
            QCOMPARE(dialog.field("自由度")->text(), QString("6"));
            QCOMPARE(dialog.verdict(), QString("未検定"));
            // Return presses "再計算", the default button.
            QTest::keyClicks(dialog.levelField(), "5");
            QTest::keyClick(dialog.levelField(), Qt::Key_Return);
            shownPoint = dialog.field("パーセント点")->text();
            verdict = dialog.verdict();
            dialog.reject();
        });
        calculation.result()->runCommand(command);
        QCOMPARE(shownPoint, point);
        QVERIFY(
            verdict.startsWith("帰無仮説" + hypothesis + "は有意水準5.000000%(信頼度95.000000%)"));
        QCOMPARE(record.activeCount, 8);
    }

    // Every command on a sheet whose points were all disabled and then removed by Update All.
    void aSheetWithoutPointsSurvivesEveryCommand() {
        Calculation calculation;
        MessageCatcher catcher;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        RegressionResult& record = calculation.record(sheet);
        QWidget* canvas = calculation.graph()->canvas();
        // A single point has no time scale and is not drawn: the Toggle dialog disables it.
        for (int clicks = 0; record.activeCount > 1 && clicks < 40; ++clicks) {
            int index = 0;
            while (!record.points->at(static_cast<std::size_t>(index)).isActive()) {
                ++index;
            }
            QTest::mouseClick(canvas, Qt::LeftButton, {}, calculation.drawn(index));
        }
        QCOMPARE(record.activeCount, 1);
        answerNextDialog<gui::ToggleDialog>([](gui::ToggleDialog& dialog) {
            dialog.list()->clearSelection();
            dialog.accept();
        });
        calculation.graph()->runCommand(gui::kViewToggle);
        QCOMPARE(record.activeCount, 0);
        QVERIFY(record.sheetName.empty());
        QVERIFY(actionTexts(calculation.result()->sheetMenu()).contains("[]"));

        calculation.result()->runCommand(gui::kViewUpdateAll);
        QVERIFY(!record.points.has_value());
        QCOMPARE(calculation.port.calls.back(), std::string("repaint"));
        calculation.graph()->repaintNow();
        QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(1, 1));
        calculation.result()->runCommand(gui::kViewCopyDataPoints);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QString("AS-12 air standard, pipette 3\t\r\n#Inv\tTime\tData\r\n"));
        answerNextDialog<gui::ToggleDialog>([](gui::ToggleDialog& dialog) {
            QCOMPARE(dialog.list()->count(), 0);
            dialog.accept();
        });
        calculation.graph()->runCommand(gui::kViewToggle);
        calculation.graph()->runCommand(gui::kViewEnableAll);
        calculation.result()->runCommand(gui::kViewCoefficientTest);
        calculation.result()->runCommand(gui::kViewAngularityTest);
        calculation.graph()->runCommand(gui::kViewCopy);
        QCOMPARE(catcher.texts, QStringList({"データ数が少ないため検定できません。",
                                             "データ数が少ないため検定できません。"}));
        QVERIFY(!record.points.has_value());
    }

    void redoAsksTheMainWindowAndLeavesTheWindowsHarmless() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        DataPoint& first = calculation.record(calculation.ratioSheet()).points->at(0);
        first.flags |= PointFlag::Disabled;
        const std::uint32_t peak = first.peakIndex;
        // A point of another sheet keeps its exclusion too.
        DataPoint& other = calculation.record(0).points->back();
        other.flags |= PointFlag::Disabled;
        const std::uint32_t otherPeak = other.peakIndex;
        const int active = calculation.record(sheet).activeCount;
        calculation.graph()->runCommand(gui::kViewRedoCalculation);
        QCOMPARE(calculation.port.calls.back(), std::string("recalc"));
        // The table stays shown until the recalculation is confirmed.
        QCOMPARE(calculation.record(sheet).activeCount, active);
        QVERIFY(calculation.state.peaks[peak].isDisabled());
        QVERIFY(calculation.state.peaks[otherPeak].isDisabled());
        calculation.graph()->repaintNow();
        calculation.result()->repaintNow();
        QTest::mouseClick(calculation.graph()->canvas(), Qt::LeftButton, {}, QPoint(50, 50));
        calculation.result()->runCommand(gui::kViewCopyAllSheets);
        calculation.result()->runCommand(gui::kViewNext);
        QCOMPARE(calculation.result()->currentSheet(), sheet);
    }

    // Every row of the command table is an entry of its window's menus at the row's place, with
    // the row's label and keys; the rows with a run-log line write it, first, when they run.
    void theCommandTableMakesTheMenusKeysAndLogLines() {
        Calculation calculation;
        MessageCatcher catcher; // the help file is missing
        for (gui::ResultViewWindow* window : windowsOf(calculation)) {
            for (const gui::ViewCommand& row : gui::ResultViewWindow::commands()) {
                if (!row.offeredBy(window->kind()) || (row.entry & gui::kEntryManySheets) != 0) {
                    continue;
                }
                for (int id = row.id; id < row.id + row.idCount(); ++id) {
                    QAction* action = window->action(id);
                    QVERIFY2(action != nullptr, row.menu);
                    QCOMPARE(menuPath(*window, action), QString::fromUtf8(row.menu));
                    if (row.label != nullptr) {
                        QCOMPARE(action->text(), QString::fromUtf8(row.label));
                    }
                    QList<QKeySequence> keys;
                    for (const QKeyCombination key : {row.key, row.otherKey}) {
                        if (key.key() != Qt::Key_unknown) {
                            keys << QKeySequence(key);
                        }
                    }
                    QCOMPARE(action->shortcuts(), keys);
                }
                if (row.logLine == nullptr) {
                    continue;
                }
                runLog().open(nullptr);
                // The one modal dialog among these commands; an answer left waiting would leak.
                if (row.id == gui::kViewExclusions) {
                    answerNextDialog<gui::ExclusionsDialog>([](gui::ExclusionsDialog&) {});
                }
                window->runCommand(row.id);
                QCOMPARE(test::runLogLines().value(0), QString(row.logLine));
                runLog().close();
            }
        }
        for (QWidget* box : QApplication::topLevelWidgets()) {
            if (box->objectName() != "graphwindow" && box->objectName() != "resultwindow") {
                box->close();
            }
        }
    }

    // Every command that changes points or methods is one step: a click on the graph, a method,
    // Toggle, Enable All, a right click, Update All. Ctrl+Z in either window takes them back in
    // turn to the states they left (the result window shows the sheet a step changed), Ctrl+Y
    // and Ctrl+Shift+Z do them again; Undo and Redo are greyed when there is nothing to undo or
    // redo. Both windows then draw what they drew before. The history ends with the calculation.
    void everyPointCommandIsOneStepUndoneByTheKeys() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        ResultWindow* result = calculation.result();
        GraphWindow* graph = calculation.graph();
        QWidget* canvas = graph->canvas();
        // The read-out above the graph shows where the pointer is: where it clicks.
        QTest::mouseMove(canvas, calculation.drawn(3));
        const QImage graphBefore = canvas->grab().toImage();
        const QImage sheetBefore = result->canvas()->grab().toImage();
        const auto greyed = [&calculation](bool undo, bool redo) {
            for (gui::ResultViewWindow* window : windowsOf(calculation)) {
                QCOMPARE(window->action(gui::kViewUndo)->isEnabled(), undo);
                QCOMPARE(window->action(gui::kViewRedo)->isEnabled(), redo);
            }
        };
        greyed(false, false);
        const std::function<void()> commands[] = {
            [&] { QTest::mouseClick(canvas, Qt::LeftButton, {}, calculation.drawn(3)); },
            [&] { result->runCommand(gui::kViewFirstMethod + kMeanMethod); },
            [&] {
                answerNextDialog<gui::ToggleDialog>([](gui::ToggleDialog& dialog) {
                    dialog.list()->item(0)->setSelected(false);
                    dialog.list()->item(2)->setSelected(false);
                    dialog.accept();
                });
                result->runCommand(gui::kViewToggle);
            },
            [&] { graph->runCommand(gui::kViewEnableAll); },
            [&] { QTest::mouseClick(canvas, Qt::RightButton, {}, calculation.drawn(3)); },
            [&] { result->runCommand(gui::kViewUpdateAll); },
        };
        QStringList states{allRecords(calculation.state)};
        for (const auto& command : commands) {
            command();
            states << allRecords(calculation.state);
            QVERIFY(states.last() != states[states.size() - 2]);
        }
        greyed(true, false);
        result->selectSheet(0);
        const auto press = [](gui::ResultViewWindow* window, QKeyCombination key) {
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, key.key(), key.keyboardModifiers());
        };
        for (qsizetype step = states.size() - 1; step > 0; --step) {
            press(step % 2 == 0 ? static_cast<gui::ResultViewWindow*>(result) : graph,
                  Qt::CTRL | Qt::Key_Z);
            QCOMPARE(allRecords(calculation.state), states[step - 1]);
        }
        QCOMPARE(result->currentSheet(), sheet);
        greyed(false, true);
        QTest::mouseMove(canvas, QPoint(1, 1));
        QTest::mouseMove(canvas, calculation.drawn(3));
        QCOMPARE(canvas->grab().toImage(), graphBefore);
        QCOMPARE(result->canvas()->grab().toImage(), sheetBefore);
        for (qsizetype step = 1; step < states.size(); ++step) {
            press(graph, step % 2 == 0 ? Qt::CTRL | Qt::Key_Y : Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
            QCOMPARE(allRecords(calculation.state), states[step]);
        }
        greyed(true, false);
        calculation.views->close();
        QVERIFY(!calculation.views->history().canUndo());
    }

    // The Toggle dialog writes each point's state and reason beside it and follows the
    // selection: a point changed is the user's, one set back keeps its reason.
    void theToggleDialogShowsTheStateOfEachPoint() {
        RegressionResult record;
        record.points.emplace();
        for (const PointFlags flags : {PointFlags(), PointFlags(PointFlag::Disabled),
                                       PointFlag::Disabled | PointFlag::ExcludedByFilter,
                                       PointFlag::Disabled | PointFlag::ExcludedByCorrection}) {
            DataPoint point;
            point.flags = flags;
            record.points->push_back(point);
        }
        gui::ToggleDialog dialog(record, nullptr, {});
        QListWidget* list = dialog.list();
        const auto states = [list] {
            QStringList shown;
            for (int row = 0; row < list->count(); ++row) {
                shown << list->item(row)->text().section("  ", 1);
            }
            return shown;
        };
        QCOMPARE(list->item(0)->text(), QString("1: 0 - 0  有効"));
        QCOMPARE(states(), QStringList({"有効", "無効 (手動)", "無効 (フィルタ)", "無効 (補正)"}));
        list->item(0)->setSelected(false);
        list->item(2)->setSelected(true);
        QCOMPARE(states(), QStringList({"無効 (手動)", "無効 (手動)", "有効", "無効 (補正)"}));
        list->item(2)->setSelected(false);
        list->selectAll();
        QCOMPARE(states(), QStringList({"有効", "有効", "有効", "有効"}));
        list->clearSelection();
        QCOMPARE(states(),
                 QStringList({"無効 (手動)", "無効 (手動)", "無効 (フィルタ)", "無効 (補正)"}));
    }

    // Edit -> Data Points -> Exclusions lists the excluded peaks with their reasons and records
    // and copies the list, by "コピー" and by Ctrl+C.
    void theExclusionsDialogListsAndCopiesTheExcludedPeaks() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        QTest::mouseClick(calculation.graph()->canvas(), Qt::LeftButton, {}, calculation.drawn(2));
        const PeakRecord& peak =
            calculation.state.peaks[calculation.record(sheet).points->at(2).peakIndex];
        calculation.result()->runCommand(gui::kViewUpdateAll);
        const QString expected = QString::fromStdString(
            cp932ToUtf8(ExclusionsText(calculation.state, &*currentDataNote())));
        QVERIFY(expected.startsWith(
            "AS-12 air standard, pipette 3\r\n#Label\tTime\tReason\tRecords\r\n"));

        for (const bool byKey : {false, true}) {
            QApplication::clipboard()->clear();
            QStringList row;
            answerNextDialog<gui::ExclusionsDialog>([&row, byKey](gui::ExclusionsDialog& dialog) {
                QCOMPARE(dialog.windowTitle(), QString("除外したピーク"));
                QCOMPARE(dialog.list()->topLevelItemCount(), 1);
                for (int column = 0; column < 4; ++column) {
                    row << dialog.list()->topLevelItem(0)->text(column);
                }
                if (byKey) {
                    // In the list, on its current line, and on a button, whose parent takes
                    // the key.
                    dialog.list()->setCurrentItem(dialog.list()->topLevelItem(0));
                    QTest::keyClick(dialog.list(), Qt::Key_C, Qt::ControlModifier);
                    QVERIFY(QApplication::clipboard()->text().contains("\thand\t"));
                    QApplication::clipboard()->clear();
                    QTest::keyClick(dialog.findChild<QPushButton*>(), Qt::Key_C,
                                    Qt::ControlModifier);
                    return;
                }
                for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
                    if (button->text() == "コピー") {
                        button->click();
                    }
                }
            });
            calculation.graph()->runCommand(gui::kViewExclusions);
            QCOMPARE(row, QStringList({QString::fromStdString(peak.elem),
                                       QString::number(peak.time), "手動", "Ar40, Ar40/Ar36"}));
            QVERIFY2(QApplication::clipboard()->text() == expected, byKey ? "Ctrl+C" : "コピー");
        }
    }

    void showGraphOpensTheClosedGraphWindowOnTheSameSheet() {
        Calculation calculation;
        runLog().open(nullptr);
        calculation.result()->selectSheet(3);
        calculation.graph()->close();
        QCOMPARE(calculation.views->link().graph, nullptr);
        calculation.result()->runCommand(gui::kViewShowOther);
        QCoreApplication::processEvents();
        QVERIFY(calculation.graph() != nullptr);
        QCOMPARE(calculation.graph()->currentSheet(), 3);
        QCOMPARE(QString::fromStdString(runLog().line(runLog().lineCount() - 1)),
                 QString("Graph has been opened."));
        runLog().close();

        calculation.views->close();
        QCOMPARE(calculation.views->link().result, nullptr);
        QCOMPARE(calculation.views->link().graph, nullptr);
    }
};

QTEST_MAIN(ResultViewsTest)
#include "result_views_test.moc"
