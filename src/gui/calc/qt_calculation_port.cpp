#include "gui/calc/qt_calculation_port.h"

#include "gui/editor/main_window.h"
#include "platform/user_interface_port.h"

#include <QCoreApplication>
#include <QEvent>

namespace tarnova::gui {

bool QtCalculationPort::runSettingsDialog(
    CalculationSettingsForm& /*form*/,
    const std::function<bool(CalculationSettingsForm&)>& /*confirm*/) {
    notAvailableYet();
    return false;
}

bool QtCalculationPort::printPeakList() {
    return printPeakList_ && printPeakList_();
}

bool QtCalculationPort::printReports() {
    return printReports_ && printReports_();
}

void QtCalculationPort::requestRecalculation() {
    // Posted, so that the recalculation runs after the command that asked for it.
    QCoreApplication::postEvent(mainWindow_, new QEvent(MainWindow::recalcEventType()));
}

void QtCalculationPort::notAvailableYet() {
    ui_.showMessage("Tarnova", kNotAvailableYet);
}

} // namespace tarnova::gui
