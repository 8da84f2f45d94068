// The data note's dialogs as Qt dialogs, owned by a window (the main window, or the result and
// graph windows for the viewer).
#pragma once

#include "document/data_note_port.h"

#include <functional>
#include <utility>

class QWidget;

namespace tarnova::gui {

class QtDataNotePort final : public DataNotePort {
  public:
    // owner parents the dialogs; showHelp opens a help context (may be empty).
    explicit QtDataNotePort(QWidget* owner, std::function<void(int)> showHelp = {})
        : owner_(owner), showHelp_(std::move(showHelp)) {}

    std::optional<DataNoteForm> chooseNoteForm() override;
    bool runDatNoteDialog(DatNoteTexts& texts,
                          const std::function<bool(const DatNoteTexts&)>& confirm) override;
    bool runPksNoteDialog(PksNoteEditor& editor) override;
    void runNoteViewer(DataNoteViewer& viewer) override;

  private:
    QWidget* owner_;
    std::function<void(int)> showHelp_;
};

} // namespace tarnova::gui
