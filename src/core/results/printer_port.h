// What the print jobs ask of the platform: the printers of the spooler, a printer surface to
// draw pages on, and the page's size. The desktop program answers with the system's print
// queues and a PDF file; tarnova-cli with the queue or the file named on its command line;
// tests with a recording printer.
#pragma once

#include "platform/surface.h"
#include "platform/user_interface_port.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

// The printable area of a page: its size in millimetres and in device units (pixels). The
// surface's origin is the area's top-left corner.
struct PageMetrics {
    double widthMm = 0.0;  // Wmm
    double heightMm = 0.0; // Hmm
    int widthPx = 0;       // Wpx
    int heightPx = 0;      // Hpx

    bool isUsable() const { return widthMm > 0.0 && heightMm > 0.0 && widthPx > 0 && heightPx > 0; }
};

// One printer opened for one job. The steps run in the order startDocument, then for each page
// startPage and endPage, then endDocument; a step returns false when the printer refused it,
// and failure() then says why in the printer's words.
class PrinterSurface {
  public:
    virtual ~PrinterSurface() = default;

    // The printer's name as the user sees it (UTF-8), for messages.
    virtual std::string printerName() const = 0;
    // The printable area of the pages of this job.
    virtual PageMetrics pageMetrics() const = 0;
    // The surface of the current document, with the printer's font selected; valid from
    // startDocument to endDocument.
    virtual Surface& surface() = 0;

    // title names the job in the spooler's queue.
    virtual bool startDocument(const std::string& title) = 0;
    virtual bool startPage() = 0;
    virtual bool endPage() = 0;
    // Hands the pages to the printer; false when it did not take them.
    virtual bool endDocument() = 0;
    virtual std::string failure() const = 0;
};

// A printer surface asked for by name: the surface, or none with whether the user cancelled
// (a file dialog of a PDF printer) or the printer could not be had.
struct PrinterOpening {
    std::unique_ptr<PrinterSurface> surface;
    bool cancelled = false;
};

// The printers of the system, as the print spooler lists them.
class Spooler {
  public:
    virtual ~Spooler() = default;

    // The names of the printers in the spooler's order; none when they cannot be listed.
    virtual std::optional<std::vector<std::string>> printers() = 0;
    // The system's default printer; none when there is none.
    virtual std::optional<std::string> defaultPrinter() = 0;
    // A surface for the printer named name, with the properties chosen for it in this run.
    virtual PrinterOpening openPrinter(const std::string& name) = 0;
    // The dialog "プリンタの選択" over names with defaultEntry selected: the chosen entry, or
    // none for "ｷｬﾝｾﾙ". Its "設定" button and its help are the dialog's own business.
    virtual std::optional<std::size_t>
    runSelectionDialog(const std::vector<std::string>& names,
                       std::optional<std::size_t> defaultEntry) = 0;
};

// What every print job works with: the printers and the user.
struct PrintEnvironment {
    Spooler& spooler;
    UserInterfacePort& ui;
    // The name of the chosen printer (UTF-8), owned by the application (or by one command-line
    // run): empty until ChoosePrinter or the first print without a choice sets it; never saved.
    std::string& printer;
};

} // namespace tarnova
