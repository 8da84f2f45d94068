// Start-up on the desktop: the run log with -log, further files, the main window's first lines.
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "data/peak_sheet.h"
#include "editor/grid_model.h"
#include "gui/editor/main_window.h"
#include "gui/shell/application.h"
#include "gui/shell/log_window.h"
#include "run_log_lines.h"
#include "shell/run_log.h"

#include <QScrollBar>
#include <QtTest>

using namespace tarnova;
using test::runLogLines;

class StartupTest : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() {
        if (auto* window = gui::LogWindow::current()) {
            window->close();
        }
        QVERIFY(!runLog().isOpen());
    }

    void logOptionOpensTheLogAndFurtherFilesStartProcesses() {
        test::ScriptedPort port;
        test::ScriptedFilePort files;
        QStringList started;
        gui::Application application(
            port, files, [&](const std::string& executable, const std::string& file) {
                started << QString::fromStdString(executable + " | " + file);
            });
        QVERIFY(application.start({"-log", "a.pks", "b.pks", "c.pks"}));

        auto* log = gui::LogWindow::current();
        QVERIFY(log);
        QCOMPARE(log->objectName(), QString("logwindowclass"));
        QCOMPARE(log->windowTitle(), QString("Tarnova runlog"));
        QCOMPARE(log->size(), QSize(300, 200));

        const QString folder = QCoreApplication::applicationDirPath() + "/";
        QCOMPARE(started, QStringList({folder + "tarnova | b.pks", folder + "tarnova | c.pks"}));

        const QStringList lines = runLogLines();
        const QStringList firstLines{
            "Start logging.",        "Loaded from " + QCoreApplication::applicationFilePath() + ".",
            "Loadpath is " + folder, "Accelerator is loaded",
            "Loading Ini-file.",     folder + "TARNOVA.INI"};
        QCOMPARE(lines.mid(0, firstLines.size()), firstLines);
        // The settings' lines come next, then the command line and the main window.
        const qsizetype controls = lines.indexOf("Common Control Library is initialized");
        QVERIFY(controls > firstLines.size());
        const QStringList laterLines{"Common Control Library is initialized",
                                     "CmdLine: -log a.pks b.pks c.pks",
                                     "a.pks: Load",
                                     "b.pks: Fork",
                                     "c.pks: Fork",
                                     "Calicurating the size of editor.",
                                     "0: 4/0",
                                     "1: 7/0",
                                     "2: 8/5",
                                     "3: 6/3",
                                     "4: 7/4",
                                     "5: 10/3"};
        QCOMPARE(lines.mid(controls, laterLines.size()), laterLines);
        const qsizetype sizeLine = controls + laterLines.size();
        QVERIFY(lines.value(sizeLine).startsWith("Window size is ("));
        QCOMPARE(
            lines.mid(sizeLine + 1, 3),
            QStringList({"Grid sheet is created.", "File drop is acceptable.", "File is loaded."}));
        QCOMPARE(application.mainWindow()->objectName(), QString("tnveditwindow"));
    }

    void firstFileLoadsIntoTheMainWindow() {
        test::ScriptedPort port;
        test::ScriptedFilePort files;
        gui::Application application(port, files, [](const std::string&, const std::string&) {});
        QVERIFY(application.start({TARNOVA_SOURCE_DIR "/samples/argon_air.pks"}));
        QVERIFY(port.messages.empty());
        QVERIFY(application.grid().GetRowCount() > 0);
        QCOMPARE(files.titles, std::vector<std::string>{"Tarnova - argon_air.pks"});
        ReleaseDataNote();
    }

    void withoutTheOptionNothingIsLogged() {
        test::ScriptedPort port;
        test::ScriptedFilePort files;
        int started = 0;
        gui::Application application(port, files,
                                     [&](const std::string&, const std::string&) { ++started; });
        QVERIFY(application.start({"run-log.pks", "x.pks"}));
        QVERIFY(!gui::LogWindow::current());
        QCOMPARE(started, 1);
    }

    void logWindowScrollsLineByLineAndStopsAtTheLastLine() {
        QVERIFY(gui::LogWindow::open());
        auto* log = gui::LogWindow::current();
        log->show();
        for (int i = 1; i <= 101; ++i) {
            LogLine("line " + std::to_string(i));
        }
        runLog().toTop();
        auto* bar = log->findChild<QScrollBar*>();
        QVERIFY(bar);
        const int wholeLines = log->height() / log->fontMetrics().height();
        QCOMPARE(bar->maximum(), 100 - wholeLines);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(runLog().firstVisibleLine(), 1);
        QCOMPARE(bar->value(), 2);
        for (int i = 0; i < 120; ++i) {
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        }
        QCOMPARE(runLog().firstVisibleLine(), 99);
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(runLog().firstVisibleLine(), 0);
        QCOMPARE(runLog().line(0), std::string("line 2"));

        // Reopening gives an empty log that keeps the top line index.
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        log->close();
        QVERIFY(gui::LogWindow::open());
        QCOMPARE(runLog().lineCount(), 0);
        QCOMPARE(runLog().firstVisibleLine(), 1);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
