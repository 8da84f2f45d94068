#include "gui/calc/qt_calculation_port.h"

#include "gui/calc/calculation_settings_dialog.h"
#include "gui/editor/main_window.h"
#include "gui/results/qt_printing.h"
#include "gui/results/result_views.h"
#include "gui/shell/show_help.h"
#include "platform/user_interface_port.h"
#include "results/printer_selection.h"
#include "shell/help_document.h"

#include <QCoreApplication>
#include <QEvent>

namespace tarnova::gui {

QtCalculationPort::QtCalculationPort(UserInterfacePort& ui, QWidget* mainWindow,
                                     CalcState& calculation, const Settings& settings,
                                     std::string& printer)
    : ui_(ui), mainWindow_(mainWindow),
      views_(std::make_unique<ResultViews>(calculation, settings, *this, printer, mainWindow)) {}

QtCalculationPort::~QtCalculationPort() = default;

bool QtCalculationPort::runSettingsDialog(
    CalculationSettingsForm& form, const std::function<bool(CalculationSettingsForm&)>& confirm) {
    // The printer selection opens over the settings dialog, which exists once it is built.
    QWidget* selectionOwner = mainWindow_;
    CalculationSettingsDialog dialog(
        mainWindow_, form, confirm, [this](int context) { ShowHelp(ui_, kHelpContext, context); },
        [this, &selectionOwner] {
            QtPrinting printing(selectionOwner, ui_, views_->printer());
            ChoosePrinter(printing.environment());
        });
    selectionOwner = &dialog;
    return dialog.exec() == QDialog::Accepted;
}

bool QtCalculationPort::printPeakList() {
    return printPeakList_ && printPeakList_();
}

bool QtCalculationPort::printReports() {
    return printReports_ && printReports_();
}

void QtCalculationPort::closeResultViews() {
    views_->close();
}

void QtCalculationPort::openGraphWindow(const std::string& title) {
    views_->openGraphWindow(title);
}

void QtCalculationPort::openResultWindow(const std::string& title) {
    views_->openResultWindow(title);
}

void QtCalculationPort::arrangeResultViews(bool graphOpen, bool resultOpen,
                                           ViewPlacement placement) {
    views_->arrange(graphOpen, resultOpen, placement);
}

void QtCalculationPort::repaintResultViews() {
    views_->repaint();
}

void QtCalculationPort::requestRecalculation() {
    // Posted, so that the recalculation runs after the command that asked for it.
    QCoreApplication::postEvent(mainWindow_, new QEvent(MainWindow::recalcEventType()));
}

} // namespace tarnova::gui
