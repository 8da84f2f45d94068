// Printing from the windows on a machine without a printer: the printer selection and report
// options dialogs, and the "PDF file" entry writing the pages of the result window, the graph
// window, reports and the peak list.
#include "gui/result_calculation.h"
#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/results/qt_printing.h"
#include "gui/results/report_options_dialog.h"
#include "platform/load_path.h"
#include "render/pdf_job_surface.h"
#include "results/peak_list_printing.h"
#include "results/printer_selection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

using namespace tarnova;
using test::answerNextDialog;
using test::Calculation;
using test::MessageCatcher;

namespace {

// The number of pages of a PDF file, counted from its page objects.
int pageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    static const QRegularExpression page(R"(/Type\s*/Page[^s])");
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

// What a tool of poppler-utils says about a PDF file; none without poppler-utils.
std::optional<QString> poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}
std::optional<QString> pdfText(const QString& path) {
    return poppler("pdftotext", {"-layout", path, "-"});
}

// Answers the save dialog of the "PDF file" entry with path.
void saveNextPdfAs(const QString& path) {
    answerNextDialog<QFileDialog>([path](QFileDialog& dialog) {
        QCOMPARE(dialog.nameFilters(), QStringList({"PDF (*.pdf)"}));
        dialog.selectFile(path);
        static_cast<QDialog&>(dialog).accept();
    });
}

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // No print queue at all: a spooler that is not there.
        qputenv("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
        setLoadPath("/nonexistent/");
    }
    void init() {
        CurrentPrinter().clear();
        gui::PrinterProperties::ofRun().clear();
    }

    void withoutQueuesThePdfFileIsTheDefaultPrinter() {
        test::ScriptedPort ui;
        gui::QtSpooler spooler(nullptr, ui);
        QCOMPARE(spooler.printers(), std::optional(std::vector<std::string>{"PDF file"}));
        QCOMPARE(spooler.defaultPrinter(), std::optional<std::string>("PDF file"));
        // The printer's font: 10 points in the device's pixels, a face with Japanese glyphs.
        const QFont font = render::PrintingFont(1200);
        QCOMPARE(font.pixelSize(), 167);
        QVERIFY(QFontMetrics(font).inFont(QChar(0x6642))); // 時
    }

    void selectionDialogPreselectsTheDefaultAndOpensTheShownPrintersProperties() {
        QStringList opened;
        QList<int> helped;
        gui::PrinterSelectionDialog dialog(
            {"Office", "Lab", "PDF file"}, 1, [&opened](const QString& name) { opened << name; },
            [&helped](int context) { helped << context; });
        QCOMPARE(dialog.windowTitle(), QString("プリンタの選択"));
        QVERIFY(dialog.findChild<QLabel*>()->text() == "現在のプリンタ");
        QCOMPARE(dialog.printerList()->currentText(), QString("Lab"));
        dialog.printerList()->setCurrentIndex(2);
        dialog.propertiesButton()->click();
        QCOMPARE(opened, QStringList({"PDF file"}));
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            if (button->text() == "ヘルプ") {
                button->click();
            }
        }
        QCOMPARE(helped, QList<int>({76}));
        QTimer::singleShot(0, &dialog, [&dialog] {
            for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
                if (button->text() == "OK") {
                    button->click();
                }
            }
        });
        QCOMPARE(dialog.choose(), std::optional<std::size_t>(2));

        // Without a default entry nothing is selected, and "OK" does nothing.
        gui::PrinterSelectionDialog unselected({"Office"}, std::nullopt, {}, {});
        QCOMPARE(unselected.printerList()->currentIndex(), -1);
        QTimer::singleShot(0, &unselected, [&unselected] {
            for (QPushButton* button : unselected.findChildren<QPushButton*>()) {
                if (button->text() == "OK") {
                    button->click();
                }
            }
            QVERIFY(unselected.isVisible());
            unselected.reject();
        });
        QCOMPARE(unselected.choose(), std::nullopt);
    }

    void reportOptionsDialogTakesItsBoxes() {
        int choices = 0;
        gui::ReportOptionsDialog dialog([&choices] { ++choices; }, {});
        QCOMPARE(dialog.windowTitle(), QString("レポートの作成"));
        ReportOptions options{true, false, true};
        QTimer::singleShot(0, &dialog, [&dialog] {
            QVERIFY(dialog.resultBox()->isChecked());
            QVERIFY(!dialog.dataPointsBox()->isChecked());
            dialog.printerButton()->click(); // the dialog stays open
            dialog.resultBox()->setChecked(false);
            dialog.dataPointsBox()->setChecked(true);
            for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
                if (button->text() == "作成開始") {
                    button->click();
                }
            }
        });
        QVERIFY(dialog.run(options));
        QCOMPARE(choices, 1);
        QVERIFY(options == (ReportOptions{false, true, true}));
        QTimer::singleShot(0, &dialog, &QDialog::reject);
        QVERIFY(!dialog.run(options));
    }

    void resultAndGraphWindowsPrintToAPdfFile() {
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
            if (const std::optional<QString> info = poppler("pdfinfo", {target})) {
                QVERIFY2(info->contains(QString("Title:           ") + row.title), row.what);
            }
        }
        // The pages carry the sheets' texts.
        if (const std::optional<QString> text = pdfText(folder.filePath("Print All Results.pdf"))) {
            QVERIFY(text->contains("Ar40/Ar36"));
            QVERIFY(text->contains("データ数:"));
            QVERIFY(text->contains("argon_air.pks") || text->contains("AS-12"));
        }
    }

    void reportsGoThroughTheirDialog() {
        Calculation calculation;
        calculation.settings.reportFlags = kReportGraph | kReportReconfirm;
        QTemporaryDir folder;
        const QString target = folder.filePath("report.pdf");
        answerNextDialog<gui::ReportOptionsDialog>([target](gui::ReportOptionsDialog& dialog) {
            QVERIFY(!dialog.resultBox()->isChecked());
            QVERIFY(dialog.graphBox()->isChecked());
            dialog.resultBox()->setChecked(true);
            saveNextPdfAs(target);
            dialog.accept();
        });
        calculation.result()->runCommand(gui::kViewMakeReportForAll);
        QCOMPARE(pageCount(target), calculation.state.resultCount());
        if (const std::optional<QString> text = pdfText(target)) {
            QVERIFY(text->contains("argon_air.pks"));
            QVERIFY(text->contains("平均値"));
        }
        // The choice was for this report only.
        QCOMPARE(calculation.settings.reportFlags, kReportGraph | kReportReconfirm);
    }

    void thePeakListAndItsFailures() {
        Calculation calculation;
        test::ScriptedPort ui;
        gui::QtPrinting printing(nullptr, ui);
        QTemporaryDir folder;
        std::optional<QString> answer = folder.filePath("peaks.pdf");
        printing.spooler().askPdfPath = [&answer] { return answer; };
        QCOMPARE(PrintPeakList(printing.environment(), calculation.grid), 1);
        QVERIFY(pageCount(folder.filePath("peaks.pdf")) >= 1);

        // A cancelled save dialog prints nothing and says nothing.
        answer.reset();
        QCOMPARE(PrintPeakList(printing.environment(), calculation.grid), 0);
        QVERIFY(ui.messages.empty());

        // A file that cannot be written is a refused job, named with the printer.
        answer = folder.filePath("missing/peaks.pdf");
        QCOMPARE(PrintPeakList(printing.environment(), calculation.grid), 0);
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 "Printer Error\nPDF file: " + *answer +
                     " cannot be written (No such file or directory)");
        QVERIFY(!QFile::exists(*answer));
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
