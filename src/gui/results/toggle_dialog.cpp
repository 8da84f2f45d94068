#include "gui/results/toggle_dialog.h"

#include "gui/platform/dialog_buttons.h"
#include "results/exclusion_list.h"
#include "results/point_editing.h"

#include <QDialogButtonBox>
#include <QItemSelection>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kToggleHelpContext = 143;
} // namespace

ToggleDialog::ToggleDialog(const RegressionResult& record, QWidget* parent,
                           std::function<void(int)> showHelp)
    : QDialog(parent), list_(new QListWidget(this)) {
    setObjectName("toggledialog");
    setWindowTitle("データポイントの選択");
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    // Every line has the same height: the view lays out tens of thousands of points without
    // measuring each one.
    list_->setUniformItemSizes(true);
    // The lines go in at once, and the enabled points are selected in one selection of their
    // runs: item by item, the list would merge every new item into the selection made so far,
    // which costs time with the square of the points.
    const std::vector<std::string> lines = ToggleListLines(record);
    QStringList items;
    items.reserve(static_cast<qsizetype>(lines.size()));
    for (const DataPoint& point : PointsOf(record)) {
        flags_.push_back(point.flags);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines_.push_back(QString::fromStdString(lines[i]));
        items.push_back(lines_.back() + "  " + QString::fromStdString(PointStateText(flags_[i])));
    }
    list_->addItems(items);
    const std::vector<bool> enabled = EnabledPoints(record);
    QItemSelection selected;
    const QAbstractItemModel* model = list_->model();
    const int count = static_cast<int>(enabled.size());
    for (int first = 0; first < count;) {
        if (!enabled[static_cast<std::size_t>(first)]) {
            ++first;
            continue;
        }
        int last = first;
        while (last + 1 < count && enabled[static_cast<std::size_t>(last + 1)]) {
            ++last;
        }
        selected.select(model->index(first, 0), model->index(last, 0));
        first = last + 1;
    }
    list_->selectionModel()->select(selected, QItemSelectionModel::Select);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selectedNow, const QItemSelection& deselected) {
                showStates(selectedNow, true);
                showStates(deselected, false);
            });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* decide = buttons->addButton("決定", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, kToggleHelpContext);
    decide->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void ToggleDialog::showStates(const QItemSelection& ranges, bool selected) {
    for (const QItemSelectionRange& range : ranges) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            const PointFlags flags =
                ChosenPointFlags(flags_[static_cast<std::size_t>(row)], selected);
            list_->item(row)->setText(lines_[row] + "  " +
                                      QString::fromStdString(PointStateText(flags)));
        }
    }
}

std::vector<bool> ToggleDialog::enabledPoints() const {
    // Read from the selection's runs, not item by item (each item would search every run).
    std::vector<bool> selected(static_cast<std::size_t>(list_->count()), false);
    for (const QItemSelectionRange& range : list_->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            selected[static_cast<std::size_t>(row)] = true;
        }
    }
    return selected;
}

} // namespace tarnova::gui
