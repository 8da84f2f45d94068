// The result window and the graph window on a calculation of the argon sample, down to what the
// windows add to the core: sheets and the two windows following each other, clicks on points,
// the history by the keys, the dialogs of the point commands, copies, Save As, printing to a PDF
// file, and the help topics against the labels the windows show.
// Mouse events go through the window system as a user's do, so that a double click arrives as
// a press, a release and the double-click event.
#define QTEST_QPA_MOUSE_HANDLING

#include "calc/calc_state.h"
#include "calc/calculation_driver.h"
#include "calc/regression_method.h"
#include "core/calc/scripted_calculation_port.h"
#include "core/support/recording_surface.h"
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "dialog_steps.h"
#include "document/load_peak_file.h"
#include "editor/grid_model.h"
#include "gui/results/exclusions_dialog.h"
#include "gui/results/graph_window.h"
#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/results/qt_printing.h"
#include "gui/results/report_options_dialog.h"
#include "gui/results/result_views.h"
#include "gui/results/result_window.h"
#include "gui/results/sheet_list_dialog.h"
#include "gui/results/test_dialogs.h"
#include "gui/results/toggle_dialog.h"
#include "gui/shell/log_window.h"
#include "platform/codepage.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "render/pdf_job_surface.h"
#include "render/picture_output.h"
#include "render/qpainter_surface.h"
#include "results/exclusion_list.h"
#include "results/peak_list_printing.h"
#include "results/point_editing.h"
#include "results/result_export.h"
#include "results/result_sheet.h"
#include "run_log_lines.h"
#include "settings/settings.h"
#include "shell/help_document.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

using namespace tarnova;
using gui::GraphWindow;
using gui::ResultWindow;

namespace {

const QString kSample = QStringLiteral(TARNOVA_SOURCE_DIR "/samples/argon_air.pks");

// The calculation's windows as the program opens them, with the settings dialog answered:
// Ar40/Ar36 and every abundance.
class WindowPort : public test::ScriptedCalculationPort {
  public:
    gui::ResultViews* views = nullptr;
    void closeResultViews() override { views->close(); }
    void openGraphWindow(const std::string& title) override { views->openGraphWindow(title); }
    void openResultWindow(const std::string& title) override { views->openResultWindow(title); }
    void repaintResultViews() override {
        test::ScriptedCalculationPort::repaintResultViews();
        views->repaint();
    }
};

struct Calculation {
    test::ScriptedPort ui;
    test::ScriptedFilePort files;
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

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (action->isVisible() && !action->isSeparator()) {
            texts << (action->isChecked() ? "[" + action->text() + "]" : action->text());
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

// Both windows, the graph window first.
QList<gui::ResultViewWindow*> windowsOf(const Calculation& calculation) {
    return {calculation.graph(), calculation.result()};
}

// Presses key on window once it is the active window.
void press(gui::ResultViewWindow* window, QKeyCombination key) {
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key.key(), key.keyboardModifiers());
}

// The number of pages of a PDF file, counted from its page objects.
int pageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    static const QRegularExpression page(R"(/Type\s*/Page[^s])");
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

// What a tool of poppler-utils prints for arguments; none without poppler-utils.
std::optional<QByteArray> poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return process.readAllStandardOutput();
}

// Answers the save dialog of the "PDF file" entry with path.
void saveNextPdfAs(const QString& path) {
    answerNextDialog<QFileDialog>([path](QFileDialog& dialog) {
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();
    });
}

// The runs of dark pixels along the pixel row y (1200 dpi) of the first page of a PDF file, as
// (first pixel, length); none without poppler-utils.
std::optional<std::vector<std::pair<int, int>>> darkRuns(const QString& pdf, int y, int width) {
    const std::optional<QByteArray> image = poppler(
        "pdftoppm", QString("-r 1200 -gray -aa no -aaVector no -f 1 -l 1 -x 0 -y %1 -W %2 -H 1")
                            .arg(y)
                            .arg(width)
                            .split(' ')
                        << pdf);
    if (!image) {
        return std::nullopt;
    }
    // "P5", the width, the height and the largest value, each followed by one blank.
    qsizetype start = 0;
    for (int fields = 0; fields < 4 && start < image->size(); ++fields) {
        while (start < image->size() && QChar((*image)[start]).isSpace()) {
            ++start;
        }
        while (start < image->size() && !QChar((*image)[start]).isSpace()) {
            ++start;
        }
    }
    const QByteArray row = image->mid(start + 1);
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < row.size(); ++x) {
        if (static_cast<unsigned char>(row[x]) >= 128) {
            continue;
        }
        if (!runs.empty() && runs.back().first + runs.back().second == x) {
            ++runs.back().second;
        } else {
            runs.emplace_back(x, 1);
        }
    }
    return runs;
}

// The text of help topic context, tags left in.
QString topic(int context) {
    QFile file(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP");
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const HelpDocument document(file.readAll().toStdString());
    return QString::fromStdString(document.topicPage(HelpContextTopic(context)).value_or(""));
}

bool isDark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// The rows and columns of a picture drawn on the QPainter surface that hold dark pixels.
QRect darkBounds(QSize size, const std::function<void(Surface&)>& drawing) {
    const QImage image = render::DrawImage(size, render::DrawingFont(), drawing);
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (isDark(image, x, y)) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

} // namespace

class ResultViewsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // No print queue at all: the "PDF file" entry is the only printer.
        qputenv("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
    }
    void init() {
        setLoadPath("/nonexistent/");
        gui::PrinterProperties::ofRun().clear();
    }

    // Both windows open on sheet 0 under the file's name with a menu of the sheets; a move in
    // one is followed by the other only when they are correspondent.
    void windowsOpenAndFollowEachOther_data() {
        QTest::addColumn<bool>("correspondent");
        QTest::newRow("correspondent") << true;
        QTest::newRow("independent") << false;
    }
    void windowsOpenAndFollowEachOther() {
        QFETCH(bool, correspondent);
        Calculation calculation(
            GeneralFlag::ShowGraph | GeneralFlag::ShowResult |
            (correspondent ? GeneralFlags(GeneralFlag::Correspondent) : GeneralFlags()));
        GraphWindow* graph = calculation.graph();
        ResultWindow* result = calculation.result();
        QCOMPARE(graph->windowTitle(), QString("Graph - argon_air.pks"));
        QCOMPARE(result->windowTitle(), QString("Result - argon_air.pks"));
        QCOMPARE(actionTexts(result->sheetMenu()).mid(4),
                 QStringList({"[Ar36]", "Ar37", "Ar38", "Ar39", "Ar40", "Ar40/Ar36"}));
        QCOMPARE(actionTexts(graph->sheetMenu()), actionTexts(result->sheetMenu()));
        // The graph's drawing area measures 60 x 25 average character widths by line heights.
        const FontMetrics units = render::MetricsOf(render::DrawingFont());
        QCOMPARE(graph->canvas()->size(),
                 QSize(60 * units.averageCharWidth, 25 * units.lineHeight));

        const int last = calculation.ratioSheet();
        result->runCommand(gui::kViewBottom);
        QCoreApplication::processEvents();
        QCOMPARE(graph->currentSheet(), correspondent ? last : 0);
        QCOMPARE(actionTexts(result->sheetMenu()).last(), QString("[Ar40/Ar36]"));
        graph->runCommand(gui::kViewFirstSheet + 2);
        QCoreApplication::processEvents();
        QCOMPARE(result->currentSheet(), correspondent ? 2 : last);
    }

    // The sheet list shows the sheet chosen; a list left without a choice changes nothing.
    void theSheetListChoosesASheet() {
        Calculation calculation;
        ResultWindow* result = calculation.result();
        for (const int row : {-1, 4}) {
            answerNextDialog<gui::SheetListDialog>([row](gui::SheetListDialog& dialog) {
                QCOMPARE(dialog.list()->count(), 6);
                dialog.list()->clearSelection();
                if (row >= 0) {
                    dialog.list()->setCurrentRow(row);
                }
                dialog.accept();
            });
            result->runCommand(gui::kViewSheetList);
            QCOMPARE(result->currentSheet(), row < 0 ? 0 : row);
        }
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
    void theResultWindowHoldsItsLongestSheet() {
        Calculation calculation;
        ResultWindow* result = calculation.result();
        QVERIFY(QTest::qWaitForWindowExposed(result));
        auto* scroller = qobject_cast<QScrollArea*>(result->centralWidget());
        QVERIFY(scroller != nullptr);
        QWidget* canvas = result->canvas();
        // Every line each sheet draws, measured in the canvas's font, ends inside the canvas,
        // and the canvas fits the view.
        const QFontMetrics font(canvas->font(), canvas);
        for (int sheet = 0; sheet < calculation.state.resultCount(); ++sheet) {
            calculation.show(sheet);
            QVERIFY(canvas->minimumWidth() <= scroller->viewport()->width());
            QVERIFY(canvas->minimumHeight() <= scroller->viewport()->height());
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
        }
        result->resize(160, 90);
        QTest::qWait(20);
        QVERIFY(scroller->horizontalScrollBar()->isVisible());
        QCOMPARE(scroller->horizontalScrollBar()->maximum(),
                 canvas->minimumWidth() - scroller->viewport()->width());
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

    // Edit -> Data Points -> Filter Outliers is offered only while the calculation has a
    // filter, and takes out the Ar38 peak that Chauvenet's criterion rejects.
    void filterOutliersRunsTheCalculationsFilterOnTheSheet() {
        Calculation calculation;
        RegressionResult& record = calculation.record(2);
        QCOMPARE(QString::fromStdString(record.sheetName), QString("Ar38"));
        calculation.show(2);
        QAction* command = calculation.graph()->action(gui::kViewFilterOutliers);
        auto* points = qobject_cast<QMenu*>(command->parent());
        QVERIFY(points != nullptr);
        Q_EMIT points->aboutToShow();
        QVERIFY(!command->isEnabled());
        calculation.state.outlierFilter = {.rule = OutlierRule::Chauvenet};
        Q_EMIT points->aboutToShow();
        QVERIFY(command->isEnabled());
        calculation.result()->runCommand(gui::kViewFilterOutliers);
        QCOMPARE(record.activeCount, record.pointCount - 1);
        QCOMPARE((*record.points)[4].flags & kPointExclusionBits,
                 PointFlag::Disabled | PointFlag::ExcludedByFilter);
    }

    // Save As of the result window writes what tarnova-cli reduce writes, or names a file that
    // cannot be written; the graph window's writes the picture its extension names and nothing
    // beside it.
    void saveAsWritesWhatReduceWritesAndThePictureNamed() {
        Calculation calculation;
        QTemporaryDir folder;
        const QString target = folder.filePath("argon");
        MessageCatcher catcher;
        const QString blocked = folder.filePath("missing/argon.IRD");
        for (const QString& path : {target, blocked}) {
            answerNextDialog<QFileDialog>([path](QFileDialog& dialog) {
                dialog.selectFile(path);
                static_cast<QDialog&>(dialog).accept();
            });
            calculation.result()->runCommand(gui::kViewSaveAs);
        }
        QFile saved(target + ".IRD");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), reduce(kSample, folder));
        QCOMPARE(catcher.texts, QStringList({blocked}));
        QVERIFY(!QFile::exists(blocked));

        QTemporaryDir pictures;
        const QString picture = pictures.filePath("graph.png");
        calculation.show(calculation.ratioSheet());
        answerNextDialog<QFileDialog>([picture](QFileDialog& dialog) {
            dialog.selectFile(picture);
            static_cast<QDialog&>(dialog).accept();
        });
        calculation.graph()->runCommand(gui::kViewSaveAs);
        QFile png(picture);
        QVERIFY(png.open(QIODevice::ReadOnly));
        QVERIFY(png.readAll().startsWith("\x89PNG"));
        QCOMPARE(QDir(pictures.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"graph.png"});
    }

    // The keys of both windows, pressed on the active window: Page Down and Up and Ctrl+End and
    // Home walk the sheets, Ctrl+C copies this sheet or the graph in every picture format, F1 opens
    // the window's help topic, Ctrl+S and Ctrl+P start Save As and Print (their dialogs are closed
    // unanswered).
    void keysOfBothWindows() {
        QVERIFY(gui::LogWindow::open());
        Calculation calculation;
        const int last = calculation.ratioSheet();
        const std::pair<QKeyCombination, int> walk[] = {{Qt::Key_PageDown, 1},
                                                        {Qt::CTRL | Qt::Key_End, last},
                                                        {Qt::Key_PageDown, last},
                                                        {Qt::Key_PageUp, last - 1},
                                                        {Qt::CTRL | Qt::Key_Home, 0}};
        for (gui::ResultViewWindow* window : windowsOf(calculation)) {
            const bool graph = window == calculation.graph();
            window->selectSheet(0);
            for (const auto& [key, sheet] : walk) {
                press(window, key);
                QCOMPARE(window->currentSheet(), sheet);
            }
            QApplication::clipboard()->clear();
            press(window, Qt::CTRL | Qt::Key_C);
            const QMimeData* copied = QApplication::clipboard()->mimeData();
            QVERIFY(graph || copied->text().startsWith("SOURCE\t" + kSample + "\r\n"));
            for (const char* type : {"image/emf", "image/x-emf", "image/svg+xml", "image/png"}) {
                QVERIFY2(!graph || copied->hasFormat(type), type);
            }

            MessageCatcher missingHelp;
            gui::LogWindow::current()->close(); // a fresh log, whose first line is the command's
            QVERIFY(gui::LogWindow::open());
            press(window, Qt::Key_F1);
            QCOMPARE(test::runLogLines().value(0), QString("HELPTOPICS command"));

            for (const int command : {gui::kViewSaveAs, gui::kViewPrint}) {
                QSignalSpy started(window->action(command), &QAction::triggered);
                QStringList shown;
                answerNextDialog<QDialog>(
                    [&shown](QDialog& dialog) { shown << dialog.metaObject()->className(); });
                press(window, Qt::CTRL | (command == gui::kViewSaveAs ? Qt::Key_S : Qt::Key_P));
                QCOMPARE(started.count(), 1);
                QCOMPARE(shown, QStringList({"QFileDialog"}));
            }
        }
        gui::LogWindow::current()->close();
    }

    // Every command of the windows' table with a run-log line writes it, first, when it runs.
    void everyCommandWritesItsLogLine() {
        Calculation calculation;
        MessageCatcher catcher; // the help file is missing
        for (gui::ResultViewWindow* window : windowsOf(calculation)) {
            for (const gui::ViewCommand& row : gui::ResultViewWindow::commands()) {
                if (!row.offeredBy(window->kind()) || (row.entry & gui::kEntryManySheets) != 0 ||
                    row.logLine == nullptr) {
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

    // The Toggle dialog selects exactly the enabled points, whatever runs they form; a click on
    // an item (a real mouse event) turns that point over and no other. Each point's state is
    // written beside it and follows the selection: a point changed is the user's, one set back
    // keeps its reason.
    void theToggleDialogSelectsExactlyTheEnabledPoints() {
        const PointFlags off(PointFlag::Disabled);
        const std::vector<std::vector<PointFlags>> patterns = {
            {{}, off, {}, off, {}},
            {off, {}, {}, off},
            {{}},
            {},
            {{},
             off,
             PointFlag::Disabled | PointFlag::ExcludedByFilter,
             PointFlag::Disabled | PointFlag::ExcludedByCorrection}};
        for (const std::vector<PointFlags>& pattern : patterns) {
            RegressionResult record;
            record.points.emplace();
            std::vector<bool> enabled;
            for (const PointFlags flags : pattern) {
                DataPoint point;
                point.flags = flags;
                record.points->push_back(point);
                enabled.push_back(flags.none());
            }
            record.pointCount = static_cast<int>(pattern.size());
            gui::ToggleDialog dialog(record, nullptr, {});
            QListWidget* list = dialog.list();
            QCOMPARE(dialog.enabledPoints(), enabled);
            if (pattern.size() < 2) {
                continue;
            }
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            enabled[1] = !enabled[1];
            QCOMPARE(dialog.enabledPoints(), enabled);
        }
        // The last pattern, its states as shown.
        RegressionResult record;
        record.points.emplace();
        for (const PointFlags flags : patterns.back()) {
            record.points->emplace_back().flags = flags;
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
        QCOMPARE(states(), QStringList({"有効", "無効 (手動)", "無効 (フィルタ)", "無効 (補正)"}));
        list->item(0)->setSelected(false);
        list->item(2)->setSelected(true);
        QCOMPARE(states(), QStringList({"無効 (手動)", "無効 (手動)", "有効", "無効 (補正)"}));
        list->item(2)->setSelected(false);
        QCOMPARE(states().value(2), QString("無効 (フィルタ)"));
    }

    // With eight active points the test has 6 degrees of freedom; at 5 % the percentage point
    // is that of F(0.05; 1, 6) = 5.987378 (tables).
    void theTestDialogAtFivePercentWithEightActivePoints() {
        Calculation calculation;
        calculation.show(calculation.ratioSheet());
        RegressionResult& record = calculation.record(calculation.ratioSheet());
        std::vector<bool> enabled(static_cast<std::size_t>(record.pointCount), false);
        std::fill_n(enabled.begin(), 8, true);
        ApplyEnabledPoints(record, enabled);

        QString shownPoint;
        QString verdict;
        answerNextDialog<gui::SheetTestDialog>([&](gui::SheetTestDialog& dialog) {
            QCOMPARE(dialog.field("自由度")->text(), QString("6"));
            // Return presses "再計算", the default button.
            QTest::keyClicks(dialog.levelField(), "5");
            QTest::keyClick(dialog.levelField(), Qt::Key_Return);
            shownPoint = dialog.field("パーセント点")->text();
            verdict = dialog.verdict();
            dialog.reject();
        });
        calculation.result()->runCommand(gui::kViewAngularityTest);
        QCOMPARE(shownPoint, QString("5.98738"));
        QVERIFY(verdict.startsWith("帰無仮説a=0は有意水準5.000000%(信頼度95.000000%)"));
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

    // Redo Calculation asks the main window; the table, and the disabled points of this sheet
    // and of another, stay until the recalculation is confirmed.
    void redoAsksTheMainWindowAndLeavesTheWindowsHarmless() {
        Calculation calculation;
        const int sheet = calculation.ratioSheet();
        calculation.show(sheet);
        DataPoint& first = calculation.record(calculation.ratioSheet()).points->at(0);
        first.flags |= PointFlag::Disabled;
        const std::uint32_t peak = first.peakIndex;
        DataPoint& other = calculation.record(0).points->back();
        other.flags |= PointFlag::Disabled;
        const std::uint32_t otherPeak = other.peakIndex;
        const int active = calculation.record(sheet).activeCount;
        calculation.graph()->runCommand(gui::kViewRedoCalculation);
        QCOMPARE(calculation.port.calls.back(), std::string("recalc"));
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

    // Edit -> Data Points -> Exclusions lists the excluded peaks with their reasons and records
    // and copies the list, by "コピー" and by Ctrl+C from the list or a button.
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

        for (const bool byKey : {false, true}) {
            QApplication::clipboard()->clear();
            QStringList row;
            answerNextDialog<gui::ExclusionsDialog>([&row, byKey](gui::ExclusionsDialog& dialog) {
                QCOMPARE(dialog.list()->topLevelItemCount(), 1);
                for (int column = 0; column < 4; ++column) {
                    row << dialog.list()->topLevelItem(0)->text(column);
                }
                if (!byKey) {
                    test::button(dialog, "コピー")->click();
                    return;
                }
                // In the list, on its current line, and on a button, whose parent takes the key.
                dialog.list()->setCurrentItem(dialog.list()->topLevelItem(0));
                QTest::keyClick(dialog.list(), Qt::Key_C, Qt::ControlModifier);
                QVERIFY(QApplication::clipboard()->text().contains("\thand\t"));
                QApplication::clipboard()->clear();
                QTest::keyClick(dialog.findChild<QPushButton*>(), Qt::Key_C, Qt::ControlModifier);
            });
            calculation.graph()->runCommand(gui::kViewExclusions);
            QCOMPARE(row, QStringList({QString::fromStdString(peak.elem),
                                       QString::number(peak.time), "手動", "Ar40, Ar40/Ar36"}));
            QVERIFY2(QApplication::clipboard()->text() == expected, byKey ? "Ctrl+C" : "コピー");
        }
    }

    // Show Graph opens the closed graph window on the result window's sheet.
    void showGraphOpensTheClosedGraphWindowOnTheSameSheet() {
        Calculation calculation;
        calculation.result()->selectSheet(3);
        calculation.graph()->close();
        QCOMPARE(calculation.views->link().graph, nullptr);
        calculation.result()->runCommand(gui::kViewShowOther);
        QCoreApplication::processEvents();
        QVERIFY(calculation.graph() != nullptr);
        QCOMPARE(calculation.graph()->currentSheet(), 3);
        calculation.views->close();
        QCOMPARE(calculation.views->link().result, nullptr);
        QCOMPARE(calculation.views->link().graph, nullptr);
    }

    // Print, Print All Results and Print All Graphs write a page per sheet under the window's
    // title; a report for all sheets goes through its dialog, whose choice is for this report.
    void windowsAndReportsPrintToAPdfFile() {
        Calculation calculation;
        const int sheets = calculation.state.resultCount();
        QTemporaryDir folder;
        struct Row {
            const char* what;
            gui::ResultViewWindow* window;
            int command;
            int pages;
            const char* title;
        };
        const Row rows[] = {
            {"Print", calculation.result(), gui::kViewPrint, 1, "Tarnova - Result"},
            {"Print All Results", calculation.result(), gui::kViewPrintAll, sheets,
             "Tarnova - Result"},
            {"Print All Graphs", calculation.graph(), gui::kViewPrintAll, sheets,
             "Tarnova - Graph"},
        };
        for (const Row& row : rows) {
            const QString target = folder.filePath(QString(row.what) + ".pdf");
            saveNextPdfAs(target);
            row.window->runCommand(row.command);
            QCOMPARE(pageCount(target), row.pages);
            if (const std::optional<QByteArray> info = poppler("pdfinfo", {target})) {
                QVERIFY2(info->contains(QByteArray("Title:           ") + row.title), row.what);
            }
        }

        calculation.settings.reportFlags = ReportFlag::Graph | ReportFlag::Reconfirm;
        const QString report = folder.filePath("report.pdf");
        answerNextDialog<gui::ReportOptionsDialog>([report](gui::ReportOptionsDialog& dialog) {
            QVERIFY(!dialog.resultBox()->isChecked() && dialog.graphBox()->isChecked());
            dialog.resultBox()->setChecked(true);
            saveNextPdfAs(report);
            dialog.accept();
        });
        calculation.result()->runCommand(gui::kViewMakeReportForAll);
        QCOMPARE(pageCount(report), sheets);
        if (const std::optional<QByteArray> text = poppler("pdftotext", {"-layout", report, "-"})) {
            QVERIFY(text->contains("argon_air.pks"));
            QVERIFY(QString::fromUtf8(*text).contains("平均値"));
        }
        QVERIFY(calculation.settings.reportFlags == (ReportFlag::Graph | ReportFlag::Reconfirm));
    }

    // Printed lines are at least a quarter point wide at any resolution; a marker keeps its size.
    void printedLinesAreAtLeastAQuarterPoint() {
        for (const int dpi : {1200, 300}) {
            QTemporaryDir folder;
            const QString path = folder.filePath("lines.pdf");
            const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
            const std::unique_ptr<render::PdfWriterJobSurface> job =
                render::PdfWriterJobSurface::create(
                    "PDF file", layout, dpi,
                    render::DeliverToFile(QFile::encodeName(path).toStdString()));
            QVERIFY(job != nullptr);
            QVERIFY(job->startDocument("lines"));
            QVERIFY(job->startPage());
            Surface& surface = job->surface();
            const int inch = dpi;
            const int marker = dpi / 20; // a marker 1/20 inch across
            surface.drawLine({inch, inch}, {inch, 2 * inch});
            surface.drawDashedLine({2 * inch, inch}, {2 * inch, 2 * inch}, surface.borderWidth());
            surface.drawEllipse(
                {3 * inch, inch + 10 - marker / 2, 3 * inch + marker, inch + 10 + marker / 2});
            QVERIFY(job->endPage());
            QVERIFY(job->endDocument());

            // The row 10 device units below the lines' start, in 1200 dpi pixels.
            const double scale = 1200.0 / dpi;
            const std::optional<std::vector<std::pair<int, int>>> runs =
                darkRuns(path, static_cast<int>((inch + 10) * scale), 4 * 1200);
            if (!runs) {
                QSKIP("pdftoppm of poppler-utils is not installed");
            }
            QCOMPARE(runs->size(), 4u); // the line, the dashed line, the marker's two sides
            const double quarterPoint = 1200.0 / 72 * 0.25;
            for (const auto& [x, length] : *runs) {
                QVERIFY2(length >= quarterPoint - 0.5,
                         qPrintable(QString("%1 dpi: %2 px at %3").arg(dpi).arg(length).arg(x)));
            }
            const int across = (*runs)[3].first + (*runs)[3].second - (*runs)[2].first;
            QVERIFY2(std::abs(across - marker * scale) <= quarterPoint + 2,
                     qPrintable(QString("%1 dpi: marker %2 px").arg(dpi).arg(across)));
        }
    }

    // Without queues the "PDF file" entry is the printer, whose font is 10 points in the
    // device's pixels in a face with Japanese glyphs. The peak list through it: written,
    // cancelled silently, or refused with the printer's name and the system's reason.
    void thePeakListThroughThePdfFileEntry() {
        Calculation calculation;
        test::ScriptedPort ui;
        std::string printer;
        gui::QtPrinting printing(nullptr, ui, printer);
        QCOMPARE(printing.spooler().printers(),
                 std::optional(std::vector<std::string>{"PDF file"}));
        QCOMPARE(printing.spooler().defaultPrinter(), std::optional<std::string>("PDF file"));
        const QFont font = render::PrintingFont(1200);
        QCOMPARE(font.pixelSize(), 167);
        QVERIFY(QFontMetrics(font).inFont(QChar(0x6642))); // 時
        QTemporaryDir folder;
        std::optional<QString> answer = folder.filePath("peaks.pdf");
        printing.spooler().askPdfPath = [&answer] { return answer; };
        QVERIFY(PrintPeakList(printing.environment(), calculation.grid));
        QVERIFY(pageCount(folder.filePath("peaks.pdf")) >= 1);
        answer.reset();
        QVERIFY(!PrintPeakList(printing.environment(), calculation.grid));
        QVERIFY(ui.messages.empty());
        answer = folder.filePath("missing/peaks.pdf");
        QVERIFY(!PrintPeakList(printing.environment(), calculation.grid));
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 "Printer Error\nPDF file: " + *answer +
                     " cannot be written (No such file or directory)");
        QVERIFY(!QFile::exists(*answer));
    }

    // The help topics name the commands and buttons by the labels the windows show: the point
    // commands of both windows, the Exclusions dialog's buttons and reasons.
    void helpTopicsNameWhatTheWindowsShow() {
        Calculation calculation;
        for (gui::ResultViewWindow* window : windowsOf(calculation)) {
            const QString text = topic(window == calculation.result() ? 44 : 45);
            QVERIFY(!text.isEmpty());
            for (const int command : {gui::kViewToggle, gui::kViewEnableAll, gui::kViewUpdateAll,
                                      gui::kViewRedoCalculation, gui::kViewUndo, gui::kViewRedo,
                                      gui::kViewExclusions}) {
                const QString shown = window->action(command)->text().remove('&');
                QVERIFY2(text.contains(shown), qPrintable(shown));
            }
        }

        const CalcState nothing;
        gui::ExclusionsDialog exclusions(nothing, nullptr, nullptr, [](int) {});
        const QString text = topic(144);
        QVERIFY(text.contains(exclusions.windowTitle()));
        for (const QPushButton* button : exclusions.findChildren<QPushButton*>()) {
            if (button->text() != "ヘルプ") {
                QVERIFY2(text.contains("「" + button->text() + "」"), qPrintable(button->text()));
            }
        }
        for (const ExclusionReason reason :
             {ExclusionReason::Hand, ExclusionReason::Filter, ExclusionReason::Correction}) {
            QVERIFY(text.contains(QString::fromUtf8(ReasonLabel(reason))));
        }
    }

    // The QPainter surface keeps a Windows device's coordinates: a rectangle leaves out its
    // right and bottom edge, a line its last pixel; a text hangs from its cell's top, aligned
    // and clipped in its rectangle; a dashed pen serves one line.
    void theSurfaceKeepsTheDevicesCoordinates() {
        QCOMPARE(darkBounds({40, 40},
                            [](Surface& s) {
                                s.drawRectangle({10, 10, 20, 20});
                            }),
                 QRect(QPoint(10, 10), QPoint(19, 19)));
        const FontMetrics metrics = render::PictureFontMetrics(render::DrawingFont());
        const QRect text = darkBounds({200, 60}, [](Surface& s) { s.drawText({5, 20}, "Agj平σ"); });
        QVERIFY(text.top() >= 20 && text.bottom() < 20 + metrics.lineHeight && text.left() >= 5);
        const QRect right = darkBounds({200, 40}, [&](Surface& s) {
            s.drawTextInRect({0, 0, 150, metrics.lineHeight}, "12345", HorizontalAlignment::Right,
                             VerticalAlignment::Top);
        });
        QVERIFY(right.right() < 150 && right.right() >= 150 - metrics.averageCharWidth);
        QVERIFY(QRect(QPoint(10, 5), QPoint(29, 4 + metrics.lineHeight))
                    .contains(darkBounds({200, 40}, [&](Surface& s) {
                        s.drawTextInRect({10, 5, 30, 5 + metrics.lineHeight}, "MMMMMMMMMMMMMMMM",
                                         HorizontalAlignment::Left, VerticalAlignment::Top);
                    })));
        const QImage lines = render::DrawImage({100, 20}, render::DrawingFont(), [](Surface& s) {
            s.drawDashedLine({0, 5}, {99, 5}, 1);
            s.drawLine({0, 10}, {99, 10});
        });
        int gaps = 0;
        for (int x = 0; x < 99; ++x) {
            gaps += isDark(lines, x, 5) ? 0 : 1;
            QVERIFY2(isDark(lines, x, 10), "the solid pen is back");
        }
        QVERIFY(gaps >= 12); // 18 drawn, 6 left out
        QVERIFY(!isDark(lines, 99, 10));
    }

    // Pictures in the format their extension names, whole, and saved by replacing the file.
    void picturesAndTheirSaving() {
        QCOMPARE(render::PictureFormatOfPath("a/b.PNG"), std::optional(render::PictureFormat::Png));
        QCOMPARE(render::PictureFormatOfPath("b.emf.txt"), std::optional<render::PictureFormat>());
        const auto frame = [](Surface& s) { s.drawRectangle({0, 0, 64, 48}); };
        const QByteArray svg = render::DrawSvg({64, 48}, render::DrawingFont(), "N/D", frame);
        QVERIFY(svg.contains("viewBox=\"0 0 64 48\"") && svg.contains("<title>N/D</title>"));
        QCOMPARE(render::DrawEmf({64, 48}, render::DrawingFont(), "N/D", frame).mid(40, 4),
                 QByteArray(" EMF"));

        QTemporaryDir folder;
        const std::string path = folder.filePath("graph.emf").toStdString();
        QVERIFY(render::SaveFileAtomically(path, "first"));
        QVERIFY(render::SaveFileAtomically(path, "second"));
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("second"));
        QVERIFY(
            !render::SaveFileAtomically(folder.filePath("missing/graph.emf").toStdString(), "x"));
        QVERIFY(!render::SaveFileAtomically(folder.path().toStdString(), "x")); // a folder
    }
};

QTEST_MAIN(ResultViewsTest)
#include "result_views_test.moc"
