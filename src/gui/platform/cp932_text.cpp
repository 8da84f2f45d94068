#include "gui/platform/cp932_text.h"

#include "platform/codepage.h"

#include <QLineEdit>

namespace tarnova::gui {

QString fromCp932(std::string_view bytes) {
    return QString::fromStdString(cp932ToUtf8(bytes));
}

std::string toCp932(const QString& text) {
    return utf8ToCp932(text.toStdString());
}

QValidator::State Cp932LengthValidator::validate(QString& input, int& /*position*/) const {
    return toCp932(input).size() <= maxBytes_ ? Acceptable : Invalid;
}

void setCp932Items(QComboBox* combo, const std::vector<std::string>& texts, int current) {
    const QString typed = combo->currentText();
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const std::string& text : texts) {
        combo->addItem(fromCp932(text), QByteArray::fromStdString(text));
    }
    combo->setCurrentIndex(current);
    if (current < 0 && combo->isEditable()) {
        combo->setEditText(typed);
    }
}

std::string cp932TextOf(const QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index >= 0 && combo->itemText(index) == combo->currentText()) {
        return combo->itemData(index).toByteArray().toStdString();
    }
    return toCp932(combo->currentText());
}

GuardedComboBox::GuardedComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void GuardedComboBox::showPopup() {
    if (!beforePopup_ || beforePopup_()) {
        QComboBox::showPopup();
    }
}

} // namespace tarnova::gui
