// The About box, the help requests and the help viewer.
#include "core/support/scripted_port.h"
#include "gui/shell/about_box.h"
#include "gui/shell/help_viewer.h"
#include "gui/shell/log_window.h"
#include "gui/shell/show_help.h"
#include "shell/help_document.h"
#include "shell/load_path.h"
#include "shell/run_log.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>

using namespace tarnova;

class ShellWindowsTest : public QObject {
    Q_OBJECT

  private slots:
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

QTEST_MAIN(ShellWindowsTest)
#include "shell_windows_test.moc"
