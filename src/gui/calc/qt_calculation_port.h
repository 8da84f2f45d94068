// What the calculation asks of the windows, answered by the desktop program: the settings
// dialog "回帰計算の設定", the result and graph windows, and the print jobs of the main window.
#pragma once

#include "calc/calculation_port.h"

#include <functional>
#include <memory>
#include <string>

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
    // result views of calculation; printer is the application's choice of printer.
    QtCalculationPort(UserInterfacePort& ui, QWidget* mainWindow, CalcState& calculation,
                      const Settings& settings, std::string& printer);
    ~QtCalculationPort() override;

    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override;
    void closeResultViews() override;
    void openGraphWindow(const std::string& title) override;
    void openResultWindow(const std::string& title) override;
    void arrangeResultViews(bool graphOpen, bool resultOpen, ViewPlacement placement) override;
    bool printPeakList() override;
    bool printReports() override;
    void repaintResultViews() override;
    void requestRecalculation() override;

    ResultViews& resultViews() const { return *views_; }

    // The print jobs after a calculation, run by the main window: the peak list of its grid
    // and the reports of every sheet. Each returns whether every page reached the printer.
    void setPrintJobs(std::function<bool()> peakList, std::function<bool()> reports) {
        printPeakList_ = std::move(peakList);
        printReports_ = std::move(reports);
    }

  private:
    UserInterfacePort& ui_;
    QWidget* mainWindow_;
    std::unique_ptr<ResultViews> views_;
    std::function<bool()> printPeakList_;
    std::function<bool()> printReports_;
};

} // namespace tarnova::gui
