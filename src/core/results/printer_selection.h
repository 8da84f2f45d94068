// The one printer every print job of the run goes to, and the dialog that chooses it.
#pragma once

#include "results/printer_port.h"

#include <memory>
#include <string>

namespace tarnova {

// The name of the chosen printer (UTF-8): empty at start-up, set by ChoosePrinter or by the
// first print without a choice to the default printer, never saved.
std::string& CurrentPrinter();

// A new surface for CurrentPrinter (the default printer when none was chosen yet), or none
// after telling the user why (nothing is said when the user cancelled a file dialog).
std::unique_ptr<PrinterSurface> GetPrinterSurface(PrintEnvironment& environment);

// Lets the user choose the printer; the choice holds for every later job of the run. Returns 1
// when a printer was chosen, 0 otherwise.
int ChoosePrinter(PrintEnvironment& environment);

} // namespace tarnova
