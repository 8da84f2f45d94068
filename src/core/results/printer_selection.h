// The one printer every print job of the run goes to, and the dialog that chooses it.
#pragma once

#include "results/printer_port.h"

#include <memory>
#include <string>

namespace tarnova {

// A new surface for environment.printer (the default printer when none was chosen yet, which
// then becomes the choice), or none
// after telling the user why (nothing is said when the user cancelled a file dialog).
std::unique_ptr<PrinterSurface> GetPrinterSurface(PrintEnvironment& environment);

// Lets the user choose environment.printer; the choice holds for every later job of its owner.
// True when a printer was chosen.
bool ChoosePrinter(PrintEnvironment& environment);

} // namespace tarnova
