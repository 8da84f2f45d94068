// Printing from the windows on a machine without a printer: the printer selection and report
// options dialogs, and the "PDF file" entry writing the pages of the result window, the graph
// window, reports and the peak list.
#include "dialog_steps.h"
#include "gui/result_calculation.h"
#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/results/qt_printing.h"
#include "gui/results/report_options_dialog.h"
#include "platform/load_path.h"
#include "render/pdf_job_surface.h"
#include "results/peak_list_printing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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

// The runs of dark pixels along the pixel row y (1200 dpi) of the first page of a PDF file, as
// (first pixel, length); none without poppler-utils.
std::optional<std::vector<std::pair<int, int>>> darkRuns(const QString& pdf, int y, int width) {
    const QString program = QStandardPaths::findExecutable("pdftoppm");
    if (program.isEmpty()) {
        return std::nullopt;
    }
    QProcess process;
    process.start(program, {"-r",
                            "1200",
                            "-gray",
                            "-aa",
                            "no",
                            "-aaVector",
                            "no",
                            "-f",
                            "1",
                            "-l",
                            "1",
                            "-x",
                            "0",
                            "-y",
                            QString::number(y),
                            "-W",
                            QString::number(width),
                            "-H",
                            "1",
                            pdf});
    process.waitForFinished();
    const QByteArray image = process.readAllStandardOutput();
    // "P5", the width, the height and the largest value, each followed by one blank.
    int fields = 0;
    qsizetype start = 0;
    while (fields < 4 && start < image.size()) {
        while (start < image.size() && QChar(image[start]).isSpace()) {
            ++start;
        }
        while (start < image.size() && !QChar(image[start]).isSpace()) {
            ++start;
        }
        ++fields;
    }
    const QByteArray row = image.mid(start + 1);
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

} // namespace

class PrintingTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // No print queue at all: a spooler that is not there.
        qputenv("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
        setLoadPath("/nonexistent/");
    }
    void init() { gui::PrinterProperties::ofRun().clear(); }

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
        QCOMPARE(dialog.printerList()->currentText(), QString("Lab"));
        dialog.printerList()->setCurrentIndex(2);
        dialog.propertiesButton()->click();
        QCOMPARE(opened, QStringList({"PDF file"}));
        test::button(dialog, "ヘルプ")->click();
        QCOMPARE(helped, QList<int>({76}));
        QTimer::singleShot(0, &dialog, [&dialog] { test::button(dialog, "OK")->click(); });
        QCOMPARE(dialog.choose(), std::optional<std::size_t>(2));

        // Without a default entry nothing is selected, and "OK" does nothing.
        gui::PrinterSelectionDialog unselected({"Office"}, std::nullopt, {}, {});
        QCOMPARE(unselected.printerList()->currentIndex(), -1);
        QTimer::singleShot(0, &unselected, [&unselected] {
            test::button(unselected, "OK")->click();
            QVERIFY(unselected.isVisible());
            unselected.reject();
        });
        QCOMPARE(unselected.choose(), std::nullopt);
    }

    void reportOptionsDialogTakesItsBoxes() {
        int choices = 0;
        gui::ReportOptionsDialog dialog([&choices] { ++choices; }, {});
        ReportOptions options{true, false, true};
        QTimer::singleShot(0, &dialog, [&dialog] {
            QVERIFY(dialog.resultBox()->isChecked());
            QVERIFY(!dialog.dataPointsBox()->isChecked());
            dialog.printerButton()->click(); // the dialog stays open
            dialog.resultBox()->setChecked(false);
            dialog.dataPointsBox()->setChecked(true);
            test::button(dialog, "作成開始")->click();
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
        calculation.settings.reportFlags = ReportFlag::Graph | ReportFlag::Reconfirm;
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

    void thePeakListAndItsFailures() {
        Calculation calculation;
        test::ScriptedPort ui;
        std::string printer;
        gui::QtPrinting printing(nullptr, ui, printer);
        QTemporaryDir folder;
        std::optional<QString> answer = folder.filePath("peaks.pdf");
        printing.spooler().askPdfPath = [&answer] { return answer; };
        QVERIFY(PrintPeakList(printing.environment(), calculation.grid));
        QVERIFY(pageCount(folder.filePath("peaks.pdf")) >= 1);

        // A cancelled save dialog prints nothing and says nothing.
        answer.reset();
        QVERIFY(!PrintPeakList(printing.environment(), calculation.grid));
        QVERIFY(ui.messages.empty());

        // A file that cannot be written is a refused job, named with the printer.
        answer = folder.filePath("missing/peaks.pdf");
        QVERIFY(!PrintPeakList(printing.environment(), calculation.grid));
        QCOMPARE(ui.messages.size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(ui.messages[0].text),
                 "Printer Error\nPDF file: " + *answer +
                     " cannot be written (No such file or directory)");
        QVERIFY(!QFile::exists(*answer));
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
