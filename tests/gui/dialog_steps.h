// Steps on modal dialogs for the widget tests: find a button by its text, and run steps once a
// dialog's modal loop is running.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace tarnova::test {

inline QPushButton* button(const QWidget& dialog, const QString& text) {
    for (QPushButton* candidate : dialog.findChildren<QPushButton*>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

// Runs steps once the modal loop that follows is running.
inline void whenShown(std::function<void()> steps) {
    QTimer::singleShot(0, std::move(steps));
}

// Runs steps on the modal dialog of type Dialog once it is up.
template <typename Dialog> void whenShown(std::function<void(Dialog&)> steps) {
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            qWarning("no modal dialog");
            return;
        }
        steps(*dialog);
    });
}

} // namespace tarnova::test
