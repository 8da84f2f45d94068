// The Toggle dialog "データポイントの選択": every data point of a sheet in a list of several
// selections, selected while the point is enabled, each with its state and, for a point that is
// out, the reason (by hand, by the filter, by a correction) as the selection would leave it.
#pragma once

#include "calc/result_table.h"

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QItemSelection;
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
    // Writes beside the points in ranges the state their selection (selected or not) gives.
    void showStates(const QItemSelection& ranges, bool selected);

    QListWidget* list_;
    QStringList lines_;             // "%d: %G - %.4G" of each point
    std::vector<PointFlags> flags_; // each point's flags when the dialog opened
};

} // namespace tarnova::gui
