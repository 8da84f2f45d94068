// The Toggle dialog "データポイントの選択": every data point of a sheet in a list of several
// selections, selected while the point is enabled.
#pragma once

#include <QDialog>

#include <functional>
#include <vector>

class QListWidget;

namespace tarnova {
struct RegressionResult;
}

namespace tarnova::gui {

class ToggleDialog final : public QDialog {
    Q_OBJECT

  public:
    // showHelp opens a help context ("ヘルプ").
    ToggleDialog(const RegressionResult& record, QWidget* parent,
                 std::function<void(int)> showHelp);

    // Whether each point is selected (to be enabled) in the list.
    std::vector<bool> enabledPoints() const;

    QListWidget* list() const { return list_; }

  private:
    QListWidget* list_;
};

} // namespace tarnova::gui
