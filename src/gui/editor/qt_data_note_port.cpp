#include "gui/editor/qt_data_note_port.h"

#include "gui/editor/data_note_dialogs.h"

namespace tarnova::gui {

std::optional<DataNoteForm> QtDataNotePort::chooseNoteForm() {
    NoteFormDialog dialog(owner_, showHelp_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenForm();
}

bool QtDataNotePort::runDatNoteDialog(DatNoteTexts& texts,
                                      const std::function<bool(const DatNoteTexts&)>& confirm) {
    DatNoteDialog dialog(owner_, texts, confirm, showHelp_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDataNotePort::runPksNoteDialog(PksNoteEditor& editor) {
    PksNoteDialog dialog(owner_, editor, showHelp_);
    return dialog.exec() == QDialog::Accepted;
}

void QtDataNotePort::runNoteViewer(DataNoteViewer& viewer) {
    DataNoteViewerDialog dialog(owner_, viewer, showHelp_);
    dialog.exec();
}

} // namespace tarnova::gui
