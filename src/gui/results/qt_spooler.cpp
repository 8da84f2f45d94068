#include "gui/results/qt_spooler.h"

#include "gui/results/printer_properties.h"
#include "gui/results/printer_selection_dialog.h"
#include "gui/shell/show_help.h"
#include "render/pdf_job_surface.h"
#include "shell/help_document.h"

#include <QFile>
#include <QFileDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

namespace tarnova::gui {
namespace {

// The engine property under which Qt's CUPS support keeps the printer's own job options (as
// name, value, name, value, ...), such as the pages per sheet of the page setup dialog.
constexpr auto kCupsOptionsProperty = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The job options a queue is given for the properties kept for it, as Qt gives them to CUPS.
std::vector<render::QueueOption> jobOptions(QPrinter& kept) {
    std::vector<render::QueueOption> options;
    const QPageLayout layout = kept.pageLayout();
    options.emplace_back("media", layout.pageSize().key().toUtf8());
    if (layout.orientation() == QPageLayout::Landscape) {
        options.emplace_back("landscape", "");
    }
    if (kept.copyCount() > 1) {
        options.emplace_back("copies", QByteArray::number(kept.copyCount()));
    }
    const bool longEdge = layout.orientation() == QPageLayout::Portrait;
    switch (kept.duplex()) {
    case QPrinter::DuplexNone:
        options.emplace_back("sides", "one-sided");
        break;
    case QPrinter::DuplexAuto:
        options.emplace_back("sides", longEdge ? "two-sided-long-edge" : "two-sided-short-edge");
        break;
    case QPrinter::DuplexLongSide:
        options.emplace_back("sides", "two-sided-long-edge");
        break;
    case QPrinter::DuplexShortSide:
        options.emplace_back("sides", "two-sided-short-edge");
        break;
    }
    const QStringList own = kept.printEngine()->property(kCupsOptionsProperty).toStringList();
    for (qsizetype i = 0; i + 1 < own.size(); i += 2) {
        options.emplace_back(own[i].toUtf8(), own[i + 1].toUtf8());
    }
    return options;
}

// A job drawn by a high-resolution QPrinter with the kept properties into a PDF file.
class QPrinterJobSurface final : public render::PdfJobSurface {
  public:
    QPrinterJobSurface(const QString& name, QPrinter& kept, render::PdfDelivery delivery)
        : PdfJobSurface(name, std::move(delivery)), printer_(QPrinter::HighResolution) {
        printer_.setOutputFormat(QPrinter::PdfFormat);
        printer_.setOutputFileName(pdfPath());
        printer_.setPageLayout(kept.pageLayout());
        printer_.setCreator("Tarnova");
        attach(printer_);
    }

  protected:
    void nameDocument(const QString& title) override { printer_.setDocName(title); }

  private:
    QPrinter printer_;
};

} // namespace

QtSpooler::QtSpooler(QWidget* owner, UserInterfacePort& ui)
    : askPdfPath([this] { return askPdfPathInDialog(); }), owner_(owner), ui_(ui) {}

std::optional<std::vector<std::string>> QtSpooler::printers() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        names.push_back(name.toStdString());
    }
    names.emplace_back(kPdfFileEntry);
    return names;
}

std::optional<std::string> QtSpooler::defaultPrinter() {
    const QString name = QPrinterInfo::defaultPrinterName();
    return name.isEmpty() ? std::string(kPdfFileEntry) : name.toStdString();
}

PrinterOpening QtSpooler::openPrinter(const std::string& name) {
    const QString printerName = QString::fromStdString(name);
    QPrinter& kept = PrinterProperties::ofRun().printer(printerName);
    std::unique_ptr<QPrinterJobSurface> job;
    if (printerName == kPdfFileEntry) {
        const std::optional<QString> path = askPdfPath();
        if (!path) {
            return {nullptr, true};
        }
        job = std::make_unique<QPrinterJobSurface>(
            printerName, kept, render::DeliverToFile(QFile::encodeName(*path).toStdString()));
    } else {
        if (QPrinterInfo::printerInfo(printerName).isNull()) {
            return {};
        }
        job = std::make_unique<QPrinterJobSurface>(
            printerName, kept, render::DeliverToQueue(printerName, jobOptions(kept)));
    }
    if (job->pageMetrics().widthPx <= 0) {
        return {};
    }
    return {std::move(job), false};
}

std::optional<std::size_t> QtSpooler::runSelectionDialog(const std::vector<std::string>& names,
                                                         std::optional<std::size_t> defaultEntry) {
    QStringList entries;
    for (const std::string& name : names) {
        entries.append(QString::fromStdString(name));
    }
    PrinterSelectionDialog dialog(
        entries, defaultEntry,
        [this](const QString& name) { PrinterProperties::ofRun().edit(name, owner_); },
        [this](int context) { ShowHelp(ui_, kHelpContext, context); }, owner_);
    return dialog.choose();
}

std::optional<QString> QtSpooler::askPdfPathInDialog() {
    QFileDialog dialog(owner_, kPdfFileEntry);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter("PDF (*.pdf)");
    dialog.setDefaultSuffix("pdf");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().front();
}

} // namespace tarnova::gui
