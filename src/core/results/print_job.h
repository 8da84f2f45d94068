// The steps every print job takes on its printer: the document, its pages, and a message that
// names the printer and its reason whenever the printer refuses one of them.
#pragma once

#include "platform/clipping_surface.h"
#include "results/printer_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnova {

class PrintJob {
  public:
    PrintJob(PrinterSurface& printer, UserInterfacePort& ui) : printer_(printer), ui_(ui) {}

    // Reads the page metrics and opens the document title. On failure tells the user with
    // refusal as the first line of the message and returns false.
    bool start(const std::string& title, std::string_view refusal);
    // Closes the open page, if any, and opens a new one; false, after telling the user, when
    // the printer refuses either.
    bool newPage();
    // Closes the open page and the document. True when every page reached the printer, false
    // when one was refused (its message shown).
    bool finish();

    const PageMetrics& metrics() const { return metrics_; }
    // The open page: everything drawn outside the printable area is left out.
    Surface& page() { return *page_; }

  private:
    bool closePage();
    void refuse(std::string_view what, const std::string& reason);

    PrinterSurface& printer_;
    UserInterfacePort& ui_;
    PageMetrics metrics_;
    std::optional<ClippingSurface> page_;
    bool pageOpen_ = false;
    bool refused_ = false;
};

// The message of a refused job: "Printer Error" for the sheet jobs.
inline constexpr std::string_view kPrinterError = "Printer Error";

} // namespace tarnova
