#include "cli/offscreen_gui.h"

#include <iostream>

namespace tarnova::cli {
namespace {

// Qt's notes about the platform (a missing runtime folder and the like) are no business of the
// command's user; critical messages still reach stderr.
void dropQtNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
    }
}

} // namespace

OffscreenGui::OffscreenGui() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(dropQtNotes);
    application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

} // namespace tarnova::cli
