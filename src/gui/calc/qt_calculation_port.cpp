#include "gui/calc/qt_calculation_port.h"

#include "gui/calc/calculation_settings_dialog.h"
#include "gui/editor/main_window.h"
#include "gui/shell/show_help.h"
#include "platform/user_interface_port.h"
#include "shell/help_document.h"

#include <QCoreApplication>
#include <QEvent>

namespace tarnova::gui {

bool QtCalculationPort::runSettingsDialog(
    CalculationSettingsForm& form, const std::function<bool(CalculationSettingsForm&)>& confirm) {
    CalculationSettingsDialog dialog(
        mainWindow_, form, confirm, [this](int context) { ShowHelp(ui_, kHelpContext, context); },
        [this] { notAvailableYet(); });
    return dialog.exec() == QDialog::Accepted;
}

void QtCalculationPort::printPeakList() {
    notAvailableYet();
}

void QtCalculationPort::printReports() {
    notAvailableYet();
}

void QtCalculationPort::requestRecalculation() {
    // Posted, so that the recalculation runs after the command that asked for it.
    QCoreApplication::postEvent(mainWindow_, new QEvent(MainWindow::recalcEventType()));
}

void QtCalculationPort::notAvailableYet() {
    ui_.showMessage("Tarnova", kNotAvailableYet);
}

} // namespace tarnova::gui
