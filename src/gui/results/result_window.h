// The result window "resultwindow": the current result sheet as text, with the commands that copy
// and save results, run the tests and open the graph window.
#pragma once

#include "gui/results/result_view_window.h"

namespace tarnova::gui {

class ResultWindow final : public ResultViewWindow {
    Q_OBJECT

  public:
    ResultWindow(ResultViews& views, const QString& title, QWidget* parent = nullptr);

    QWidget* canvas() const override { return canvas_; }

  protected:
    void runOwnCommand(int command) override;
    void addCopyCommands(QMenu* edit) override;
    void addOwnMenus() override;

  private:
    void copyText(const std::optional<std::string>& text);
    void saveResults();

    QWidget* canvas_;
};

} // namespace tarnova::gui
