// tarnova-cli report: the reports of Make Report for All of a calculation, with the report
// options of the INI file, written to a PDF file or sent to a CUPS print queue.
#include "cli/commands.h"
#include "cli/drawing_program.h"
#include "cli/offscreen_gui.h"
#include "cli/reduction.h"
#include "render/pdf_job_surface.h"
#include "render/print_queue.h"
#include "results/print_jobs.h"

#include <optional>
#include <string>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = kReportUsage;

// The name of a PDF file as a printer, in messages.
constexpr const char* kPdfFilePrinter = "PDF file";

struct ReportTarget {
    std::optional<std::string> output;  // a PDF file
    std::optional<std::string> printer; // a CUPS queue
    QPageSize paper{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
};

// The one printer of the command line: the PDF file or the queue it names.
class CommandLineSpooler final : public Spooler {
  public:
    explicit CommandLineSpooler(const ReportTarget& target) : target_(target) {}

    std::optional<std::vector<std::string>> printers() override { return {{name()}}; }
    std::optional<std::string> defaultPrinter() override { return name(); }
    PrinterOpening openPrinter(const std::string&) override {
        if (target_.output) {
            return {create(QMarginsF(), render::DeliverToFile(*target_.output)), false};
        }
        const QString queue = QString::fromStdString(*target_.printer);
        if (!render::QueueExists(queue)) {
            return {};
        }
        const QMarginsF margins =
            render::QueueMargins(queue, target_.paper, target_.orientation).value_or(QMarginsF());
        return {create(margins,
                       render::DeliverToQueue(queue, {{"media", target_.paper.key().toUtf8()}})),
                false};
    }
    std::optional<std::size_t> runSelectionDialog(const std::vector<std::string>&,
                                                  std::optional<std::size_t>) override {
        return std::nullopt;
    }

  private:
    std::string name() const { return target_.printer.value_or(kPdfFilePrinter); }
    std::unique_ptr<PrinterSurface> create(const QMarginsF& margins,
                                           render::PdfDelivery delivery) const {
        const QPageLayout layout(target_.paper, target_.orientation, margins,
                                 QPageLayout::Millimeter);
        return render::PdfWriterJobSurface::create(QString::fromStdString(name()), layout,
                                                   render::kPrintDotsPerInch, std::move(delivery));
    }

    const ReportTarget& target_;
};

} // namespace

int runReportCommand(const Arguments& arguments) {
    ReportTarget target;
    const auto ownOption = [&](const Arguments& all, std::size_t& i) {
        const std::string& option = all[i];
        if (option == "--landscape") {
            target.orientation = QPageLayout::Landscape;
            return OwnOption::Taken;
        }
        if (option != "--paper" && option != "--output" && option != "--printer") {
            return OwnOption::NotMine;
        }
        if (const auto problem = optionProblem(all, i, true, false)) {
            reportUsageProblem(*problem);
            return OwnOption::Invalid;
        }
        const std::string& value = all[++i];
        if (option == "--output") {
            target.output = value;
        } else if (option == "--printer") {
            target.printer = value;
        } else if (value == "a4" || value == "letter") {
            target.paper = QPageSize(value == "a4" ? QPageSize::A4 : QPageSize::Letter);
        } else {
            reportUsageProblem("--paper " + value + " is neither a4 nor letter");
            return OwnOption::Invalid;
        }
        return OwnOption::Taken;
    };
    const std::optional<ReductionOptions> options = parseReductionArguments(arguments, ownOption);
    const bool oneTarget = target.output.has_value() != target.printer.has_value();
    if (options && !oneTarget) {
        reportUsageProblem(target.output ? "--output and --printer exclude each other"
                                         : "--output or --printer is missing");
    }
    if (!options || !oneTarget ||
        (target.output && outputNamesInput(*target.output, inputFiles(options->sheet)))) {
        return usageError(kUsage);
    }

    const OffscreenGui gui;
    Reduction reduction;
    if (const int failure = reduction.run(*options, kUsage); failure != 0) {
        return failure;
    }
    CommandLineSpooler spooler(target);
    std::string printer;
    PrintEnvironment environment{spooler, reduction.sheet.ui, printer};
    const std::optional<DataNote>& note = currentDataNote();
    const Settings& settings = reduction.sheet.settings;
    // The report options of the INI file stand for the dialog's choices.
    const bool made = MakeReports(
        environment, *reduction.state.results, note ? &*note : nullptr, reduction.state.calcFlags,
        settings.resultFlags, settings.reportFlags, [](ReportOptions&) { return true; },
        reduction.state.peaks);
    return made ? 0 : 1;
}

} // namespace tarnova::cli
