#include "gui/results/printer_properties.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace tarnova::gui {

PrinterProperties& PrinterProperties::ofRun() {
    static PrinterProperties properties;
    return properties;
}

QPrinter& PrinterProperties::printer(const QString& name) {
    std::unique_ptr<QPrinter>& printer = printers_[name];
    if (!printer) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (name == kPdfFileEntry) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        } else {
            printer->setPrinterName(name);
            // The printable area is the printer's own: Qt's 10 mm margins would come on top of
            // the layouts' own margins.
            const QPageLayout layout = printer->pageLayout();
            printer->setPageMargins(layout.minimumMargins(), layout.units());
        }
    }
    return *printer;
}

void PrinterProperties::edit(const QString& name, QWidget* owner) {
    QPageSetupDialog dialog(&printer(name), owner);
    dialog.setWindowTitle(name);
    dialog.exec();
}

void PrinterProperties::clear() {
    printers_.clear();
}

} // namespace tarnova::gui
