// The properties of each printer as the user set them with "設定": paper, orientation, margins
// and the printer's own job options. They hold for every job of the run and are never saved;
// a printer the user did not set up prints with its defaults.
#pragma once

#include <QString>

#include <map>
#include <memory>

class QPrinter;
class QWidget;

namespace tarnova::gui {

// The entry beside the print queues that writes each job to a PDF file chosen in a save dialog,
// so a machine without any printer still prints.
inline constexpr const char* kPdfFileEntry = "PDF file";

class PrinterProperties final {
  public:
    // The properties of this run.
    static PrinterProperties& ofRun();

    // The printer set up for name (a print queue or kPdfFileEntry), made on first use with the
    // printer's defaults: its default paper and orientation, its own unprintable margins (none
    // for a PDF file), high resolution.
    QPrinter& printer(const QString& name);
    // The page setup dialog of name's printer over owner; the choices hold for the run when it
    // is confirmed.
    void edit(const QString& name, QWidget* owner);
    // Forgets every choice (a new run; tests).
    void clear();

  private:
    std::map<QString, std::unique_ptr<QPrinter>> printers_;
};

} // namespace tarnova::gui
