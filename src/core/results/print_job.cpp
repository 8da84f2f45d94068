#include "results/print_job.h"

namespace tarnova {

bool PrintJob::start(const std::string& title, std::string_view refusal) {
    metrics_ = printer_.pageMetrics();
    if (!metrics_.isUsable()) {
        refuse(refusal, "the page has no printable area");
        return false;
    }
    if (!printer_.startDocument(title)) {
        refuse(refusal, printer_.failure());
        return false;
    }
    page_.emplace(printer_.surface(), SurfaceRect{0, 0, metrics_.widthPx, metrics_.heightPx});
    return true;
}

bool PrintJob::newPage() {
    if (!closePage()) {
        return false;
    }
    if (!printer_.startPage()) {
        refuse(kPrinterError, printer_.failure());
        return false;
    }
    pageOpen_ = true;
    return true;
}

bool PrintJob::closePage() {
    if (!pageOpen_) {
        return !refused_;
    }
    pageOpen_ = false;
    if (!printer_.endPage()) {
        refuse(kPrinterError, printer_.failure());
        return false;
    }
    return true;
}

bool PrintJob::finish() {
    closePage();
    // The pages printed so far still go out; a refusal has been told already.
    if (!printer_.endDocument() && !refused_) {
        refuse(kPrinterError, printer_.failure());
    }
    return !refused_;
}

void PrintJob::refuse(std::string_view what, const std::string& reason) {
    refused_ = true;
    std::string text(what);
    text += '\n';
    text += printer_.printerName();
    text += ": ";
    text += reason;
    ui_.showMessage("Tarnova", text);
}

} // namespace tarnova
