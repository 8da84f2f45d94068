// A printer for tests: pages of a chosen size and resolution, each recorded on its own
// recording surface, refusals on demand, and a spooler of such printers with a scripted
// selection dialog.
#pragma once

#include "core/support/recording_surface.h"
#include "results/printer_port.h"

#include <cmath>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnova::test {

// A paper and a resolution: the printable area is the whole sheet.
inline PageMetrics pageOf(double widthMm, double heightMm, int dpi) {
    return {widthMm, heightMm, static_cast<int>(std::lround(widthMm / 25.4 * dpi)),
            static_cast<int>(std::lround(heightMm / 25.4 * dpi))};
}

// The font of the test pages at dpi: a 10-point monospaced font, its line 1.08 em high and
// its half-width characters 0.5 em wide.
inline FontMetrics fontAt(int dpi) {
    const double em = 10.0 * dpi / 72.0;
    return {static_cast<int>(std::lround(1.08 * em)), static_cast<int>(std::lround(0.5 * em))};
}

// What the job did, kept after the printer surface is gone.
struct PrintRecord {
    std::string title;
    std::vector<RecordingSurface> pages;
    bool documentStarted = false;
    bool documentEnded = false;
};

struct PrinterBehaviour {
    PageMetrics page;
    FontMetrics font;
    bool refuseDocument = false;
    int refusePage = 0; // the number (from 1) of the page whose start is refused; 0: none
    bool refuseDelivery = false;
};

// Hands each primitive to the page open at the time (or to a spare surface between pages).
class CurrentPageSurface final : public Surface {
  public:
    CurrentPageSurface(std::vector<RecordingSurface>& pages, FontMetrics font) : pages_(pages) {
        spare_.metrics = font;
    }
    FontMetrics fontMetrics() const override { return spare_.metrics; }
    int borderWidth() const override { return 1; }
    int textWidth(std::string_view text) const override { return spare_.textWidth(text); }
    void drawText(SurfacePoint topLeft, std::string_view text) override {
        page().drawText(topLeft, text);
    }
    void drawTextInRect(const SurfaceRect& rect, std::string_view text,
                        HorizontalAlignment horizontal, VerticalAlignment vertical) override {
        page().drawTextInRect(rect, text, horizontal, vertical);
    }
    void drawLine(SurfacePoint from, SurfacePoint to) override { page().drawLine(from, to); }
    void drawRectangle(const SurfaceRect& rect) override { page().drawRectangle(rect); }
    void drawEllipse(const SurfaceRect& box) override { page().drawEllipse(box); }
    void drawDashedLine(SurfacePoint from, SurfacePoint to, int width) override {
        page().drawDashedLine(from, to, width);
    }

    bool pageOpen = false;

  private:
    RecordingSurface& page() { return pageOpen ? pages_.back() : spare_; }

    std::vector<RecordingSurface>& pages_;
    RecordingSurface spare_;
};

class RecordingPrinter final : public PrinterSurface {
  public:
    RecordingPrinter(std::string name, PrinterBehaviour behaviour, PrintRecord& record)
        : name_(std::move(name)), behaviour_(behaviour), record_(record),
          surface_(record.pages, behaviour.font) {}

    std::string printerName() const override { return name_; }
    PageMetrics pageMetrics() const override { return behaviour_.page; }
    Surface& surface() override { return surface_; }

    bool startDocument(const std::string& title) override {
        record_.title = title;
        record_.documentStarted = !behaviour_.refuseDocument;
        return !behaviour_.refuseDocument;
    }
    bool startPage() override {
        if (static_cast<int>(record_.pages.size()) + 1 == behaviour_.refusePage) {
            return false;
        }
        record_.pages.emplace_back().metrics = behaviour_.font;
        surface_.pageOpen = true;
        return true;
    }
    bool endPage() override {
        surface_.pageOpen = false;
        return true;
    }
    bool endDocument() override {
        record_.documentEnded = true;
        return !behaviour_.refuseDelivery;
    }
    std::string failure() const override { return "refused by the test"; }

  private:
    std::string name_;
    PrinterBehaviour behaviour_;
    PrintRecord& record_;
    CurrentPageSurface surface_;
};

// Printers named in the test, the first of them the system's default; each job's record is
// kept in jobs.
class RecordingSpooler final : public Spooler {
  public:
    std::vector<std::string> names{"Office", "Lab"};
    std::optional<std::string> defaultName = "Office";
    bool listFails = false;
    bool openFails = false;
    bool openCancelled = false;
    PrinterBehaviour behaviour{pageOf(210.0, 297.0, 300), fontAt(300)};
    std::deque<std::optional<std::size_t>> choices;          // answers of the selection dialog
    std::vector<std::optional<std::size_t>> offeredDefaults; // what each dialog preselected
    std::vector<std::string> opened;                         // printers opened, in order
    std::deque<PrintRecord> jobs;

    std::optional<std::vector<std::string>> printers() override {
        if (listFails) {
            return std::nullopt;
        }
        return names;
    }
    std::optional<std::string> defaultPrinter() override { return defaultName; }
    PrinterOpening openPrinter(const std::string& name) override {
        opened.push_back(name);
        if (openFails || openCancelled) {
            return {nullptr, openCancelled};
        }
        return {std::make_unique<RecordingPrinter>(name, behaviour, jobs.emplace_back()), false};
    }
    std::optional<std::size_t>
    runSelectionDialog(const std::vector<std::string>&,
                       std::optional<std::size_t> defaultEntry) override {
        offeredDefaults.push_back(defaultEntry);
        if (choices.empty()) {
            return std::nullopt;
        }
        const std::optional<std::size_t> choice = choices.front();
        choices.pop_front();
        return choice;
    }
};

} // namespace tarnova::test
