#include "results/printer_selection.h"

#include <algorithm>
#include <iterator>

namespace tarnova {

std::unique_ptr<PrinterSurface> GetPrinterSurface(PrintEnvironment& environment) {
    std::string& current = environment.printer;
    if (current.empty()) {
        const std::optional<std::string> fallback = environment.spooler.defaultPrinter();
        if (!fallback || fallback->empty()) {
            environment.ui.showMessage("Tarnova", "使用可能なプリンタがありません。");
            return nullptr;
        }
        current = *fallback;
    }
    PrinterOpening opening = environment.spooler.openPrinter(current);
    if (!opening.surface && !opening.cancelled) {
        environment.ui.showMessage("Tarnova", "プリンタを取得できません。");
    }
    return std::move(opening.surface);
}

bool ChoosePrinter(PrintEnvironment& environment) {
    const std::optional<std::vector<std::string>> names = environment.spooler.printers();
    if (!names || names->empty()) {
        environment.ui.showMessage("Tarnova", "使用可能なプリンタはありません。");
        return false;
    }
    std::optional<std::size_t> defaultEntry;
    if (const std::optional<std::string> fallback = environment.spooler.defaultPrinter()) {
        const auto found = std::find(names->begin(), names->end(), *fallback);
        if (found != names->end()) {
            defaultEntry = static_cast<std::size_t>(std::distance(names->begin(), found));
        }
    }
    const std::optional<std::size_t> chosen =
        environment.spooler.runSelectionDialog(*names, defaultEntry);
    if (!chosen || *chosen >= names->size()) {
        return false;
    }
    environment.printer = (*names)[*chosen];
    environment.ui.showMessage("Selected printer", environment.printer);
    return true;
}

} // namespace tarnova
