// A calculation port for tests: records what the calculation asked of the windows and fills
// the settings dialog from a script.
#pragma once

#include "calc/calculation_port.h"

#include <functional>
#include <string>
#include <vector>

namespace tarnova::test {

class ScriptedCalculationPort : public CalculationPort {
  public:
    // Called with the form as the dialog opened; it edits the form as the user would. Each
    // entry is one press of "開始"; when the script runs out, the dialog is cancelled.
    std::vector<std::function<void(CalculationSettingsForm&)>> presses;
    std::vector<CalculationSettingsForm> openedForms;
    std::vector<std::string> calls;
    bool printed = true; // what the print jobs answer

    bool runSettingsDialog(CalculationSettingsForm& form,
                           const std::function<bool(CalculationSettingsForm&)>& confirm) override {
        openedForms.push_back(form);
        calls.push_back("dialog");
        for (auto& press : presses) {
            press(form);
            if (confirm(form)) {
                presses.clear();
                return true;
            }
        }
        presses.clear();
        return false;
    }
    void closeResultViews() override { calls.push_back("close"); }
    void openGraphWindow(const std::string& title) override { calls.push_back(title); }
    void openResultWindow(const std::string& title) override { calls.push_back(title); }
    void arrangeResultViews(bool graph, bool result, ViewPlacement placement) override {
        calls.push_back("arrange " + std::to_string(graph) + std::to_string(result) +
                        std::to_string(static_cast<int>(placement)));
    }
    bool printPeakList() override {
        calls.push_back("print peaks");
        return printed;
    }
    bool printReports() override {
        calls.push_back("print reports");
        return printed;
    }
    void repaintResultViews() override { calls.push_back("repaint"); }
    void requestRecalculation() override { calls.push_back("recalc"); }
};

} // namespace tarnova::test
