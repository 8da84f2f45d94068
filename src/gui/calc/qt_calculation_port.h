// What the calculation asks of the windows, answered by the desktop program: the settings
// dialog "回帰計算の設定". The result and graph windows come with their own windows; until then
// a started calculation ends where they would open, and the print jobs say that they are not
// available.
#pragma once

#include "calc/calculation_port.h"

class QWidget;

namespace tarnova {
class UserInterfacePort;
}

namespace tarnova::gui {

class QtCalculationPort final : public CalculationPort {
  public:
    // Messages and help go to ui; the dialog is owned by mainWindow, which also receives the
    // recalculation requests.
    QtCalculationPort(UserInterfacePort& ui, QWidget* mainWindow)
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
    QWidget* mainWindow_;
};

} // namespace tarnova::gui
