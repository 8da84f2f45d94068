#include "gui/platform/qt_port.h"

#include <QApplication>
#include <QMessageBox>

namespace tarnova::gui {
namespace {
QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
} // namespace

void QtPort::showMessage(std::string_view caption, std::string_view text) {
    QMessageBox::information(owner_, fromUtf8(caption), fromUtf8(text));
}

Answer QtPort::ask(std::string_view caption, std::string_view text, QuestionButtons buttons) {
    QMessageBox::StandardButtons choices = QMessageBox::Yes | QMessageBox::No;
    if (buttons == QuestionButtons::YesNoCancel) {
        choices |= QMessageBox::Cancel;
    } else if (buttons == QuestionButtons::OkCancel) {
        choices = QMessageBox::Ok | QMessageBox::Cancel;
    } else if (buttons == QuestionButtons::SaveCancel) {
        choices = QMessageBox::Save | QMessageBox::Cancel;
    }
    const auto answer = QMessageBox::question(owner_, fromUtf8(caption), fromUtf8(text), choices);
    if (answer == QMessageBox::Yes || answer == QMessageBox::Ok || answer == QMessageBox::Save) {
        return Answer::Yes;
    }
    return answer == QMessageBox::No ? Answer::No : Answer::Cancel;
}

void QtPort::beep() {
    QApplication::beep();
}

} // namespace tarnova::gui
