// Start-up on the desktop (the run log with -log, further files, the main window's first lines),
// the About box, the help requests and the help viewer.
#include "core/support/scripted_file_port.h"
#include "core/support/scripted_port.h"
#include "data/peak_sheet.h"
#include "editor/grid_model.h"
#include "gui/editor/main_window.h"
#include "gui/shell/about_box.h"
#include "gui/shell/application.h"
#include "gui/shell/help_viewer.h"
#include "gui/shell/log_window.h"
#include "gui/shell/show_help.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "run_log_lines.h"
#include "shell/help_document.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
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

        // The core's start-up lines (tested with the core) come first; the desktop adds its
        // own after the command line's: the main window's size, its grid and the drop target,
        // then the first file.
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

    void aboutBoxShowsVersionAndBuildDateAndShiftClickOpensTheLog() {
        gui::AboutBox about;
        QCOMPARE(about.windowTitle(), QString("Tarnovaについて"));
        QCOMPARE(about.findChild<QLabel*>("version")->text(), QString("Ver.2.00"));
        const QString build = about.findChild<QLabel*>("build")->text();
        QVERIFY2(QRegularExpression("^Build: [A-Z][a-z]{2} [1-9][0-9]? [0-9]{4}$")
                     .match(build)
                     .hasMatch(),
                 qPrintable(build));
        const auto buttons = about.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), QString("閉じる"));
        QVERIFY(!about.iconLabel()->pixmap().isNull());

        // A click on the icon with Shift held opens the run log.
        about.show();
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton);
        QVERIFY(!gui::LogWindow::current());
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton, Qt::ShiftModifier);
        QVERIFY(gui::LogWindow::current());
        QCOMPARE(runLog().lineCount(), 1);
        QCOMPARE(runLog().line(0), std::string("Start logging."));
        // A second request finds the open window.
        QTest::mouseClick(about.iconLabel(), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(runLog().lineCount(), 2);
        gui::LogWindow::current()->close();
    }

    void helpOpenedFromAModalDialogTakesInput() {
        // A dialog's Help button opens the viewer while the dialog is modal, also when the
        // viewer was open before.
        gui::HelpViewer::instance()->showTopic(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP",
                                               "ctx39");
        QDialog dialog;
        bool clicked = false;
        QTimer::singleShot(0, &dialog, [&] {
            auto* viewer = gui::HelpViewer::instance();
            viewer->showTopic(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP", "ctx43");
            QVERIFY(QTest::qWaitForWindowExposed(viewer));
            auto* contents = viewer->findChild<QPushButton*>("contents");
            QVERIFY(contents);
            // Through the window system, which holds back input from windows a modal dialog
            // blocks.
            QTest::mouseClick(viewer->windowHandle(), Qt::LeftButton, {},
                              contents->mapTo(viewer, contents->rect().center()));
            clicked = viewer->currentTopic() == "contents";
            dialog.reject();
        });
        dialog.exec();
        QVERIFY(clicked);
        gui::HelpViewer::instance()->close();
    }

    void logLinesShowFileNamesAndDocumentTexts() {
        // A first line of a data file with a Japanese sample name, as the file holds it.
        QCOMPARE(gui::logLineText("\"\x8E\x8E\x97\xBF\",\"2026/11/24\""),
                 QString("\"試料\",\"2026/11/24\""));
        QCOMPARE(gui::logLineText("/home/u/データ/a.pks: Load"),
                 QString("/home/u/データ/a.pks: Load"));
        QCOMPARE(gui::logLineText("Start logging."), QString("Start logging."));
        QCOMPARE(gui::logLineText(""), QString());
    }

    void missingHelpFileIsReportedOnTheFirstRequestOnly() {
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

    void viewerShowsOneTopicAndFollowsLinks() {
        auto* viewer = gui::HelpViewer::instance();
        viewer->showTopic(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP", "ctx39");
        QCOMPARE(viewer->currentTopic(), QString("ctx39"));
        const QString text = viewer->browser()->toPlainText();
        QVERIFY(text.contains("メインウィンドウ"));
        QVERIFY(!text.contains("グラフウィンドウ\n"));
        emit viewer->browser()->anchorClicked(QUrl("#ctx1"));
        QCOMPARE(viewer->currentTopic(), QString("ctx1"));
        QVERIFY(viewer->browser()->toPlainText().contains("Ver.2.00"));
        viewer->showTopic(TARNOVA_SOURCE_DIR "/resources/TARNOVA.HLP", "usinghelp");
        QVERIFY(viewer->browser()->toPlainText().contains("ヘルプの使い方"));
        viewer->close();
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
