// What the calculation asks of the windows, answered by the desktop program. The settings
// dialog and the result and graph windows come with their own windows; until then the dialog
// says that it is not available. The print jobs are the main window's.
#pragma once

#include "calc/calculation_port.h"

#include <functional>

class QObject;

namespace tarnova {
class UserInterfacePort;
}

namespace tarnova::gui {

class QtCalculationPort final : public CalculationPort {
  public:
    // Messages go to ui; recalculation requests are posted to mainWindow.
    QtCalculationPort(UserInterfacePort& ui, QObject* mainWindow)
        : ui_(ui), mainWindow_(mainWindow) {}

    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override;
    void closeResultViews() override {}
    void openGraphWindow(const std::string& /*title*/) override {}
    void openResultWindow(const std::string& /*title*/) override {}
    void arrangeResultViews(bool, bool, ViewPlacement) override {}
    bool printPeakList() override;
    bool printReports() override;
    void repaintResultViews() override {}
    void requestRecalculation() override;

    // The print jobs after a calculation, run by the main window: the peak list of its grid
    // and the reports of every sheet. Each returns whether every page reached the printer.
    void setPrintJobs(std::function<bool()> peakList, std::function<bool()> reports) {
        printPeakList_ = std::move(peakList);
        printReports_ = std::move(reports);
    }

  private:
    void notAvailableYet();

    UserInterfacePort& ui_;
    QObject* mainWindow_;
    std::function<bool()> printPeakList_;
    std::function<bool()> printReports_;
};

} // namespace tarnova::gui
