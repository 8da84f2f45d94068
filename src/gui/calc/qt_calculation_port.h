// What the calculation asks of the windows, answered by the desktop program. The settings
// dialog, the result and graph windows and the print jobs come with their own windows; until
// then the dialog and the print jobs say that they are not available.
#pragma once

#include "calc/calculation_port.h"

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
    void printPeakList() override;
    void printReports() override;
    void repaintResultViews() override {}
    void requestRecalculation() override;

  private:
    void notAvailableYet();

    UserInterfacePort& ui_;
    QObject* mainWindow_;
};

} // namespace tarnova::gui
