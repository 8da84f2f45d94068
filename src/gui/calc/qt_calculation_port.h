// What the calculation asks of the windows, answered by the desktop program: the result and
// graph windows. The settings dialog and the print jobs come with their own windows; until
// then they say that they are not available.
#pragma once

#include "calc/calculation_port.h"

#include <memory>

class QWidget;

namespace tarnova {
struct CalcState;
struct Settings;
class UserInterfacePort;
} // namespace tarnova

namespace tarnova::gui {

class ResultViews;

class QtCalculationPort final : public CalculationPort {
  public:
    // Messages go to ui; recalculation requests are posted to mainWindow, which also owns the
    // result views of calculation.
    QtCalculationPort(UserInterfacePort& ui, QWidget* mainWindow, CalcState& calculation,
                      const Settings& settings);
    ~QtCalculationPort() override;

    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override;
    void closeResultViews() override;
    void openGraphWindow(const std::string& title) override;
    void openResultWindow(const std::string& title) override;
    void arrangeResultViews(bool graphOpen, bool resultOpen, ViewPlacement placement) override;
    void printPeakList() override;
    void printReports() override;
    void repaintResultViews() override;
    void requestRecalculation() override;

    ResultViews& resultViews() const { return *views_; }

  private:
    void notAvailableYet();

    UserInterfacePort& ui_;
    QWidget* mainWindow_;
    std::unique_ptr<ResultViews> views_;
};

} // namespace tarnova::gui
