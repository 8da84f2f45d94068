#include "gui/results/exclusions_dialog.h"

#include "gui/platform/dialog_buttons.h"
#include "platform/codepage.h"
#include "results/exclusion_list.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kExclusionsHelpContext = 144;

QString fromCp932(const std::string& text) {
    return QString::fromStdString(cp932ToUtf8(text));
}
} // namespace

ExclusionsDialog::ExclusionsDialog(const CalcState& calculation, const DataNote* note,
                                   QWidget* parent, std::function<void(int)> showHelp)
    : QDialog(parent), list_(new QTreeWidget(this)), text_(ExclusionsText(calculation, note)) {
    setObjectName("exclusionsdialog");
    setWindowTitle("除外したピーク");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setHeaderLabels({"ラベル", "時刻", "理由", "外れたシート"});
    QList<QTreeWidgetItem*> items;
    for (const ExclusionRow& row : ExclusionRows(calculation)) {
        items << new QTreeWidgetItem({fromCp932(row.label), QString::fromStdString(row.time),
                                      QString::fromUtf8(ReasonLabel(row.reason)),
                                      fromCp932(row.records)});
        items.back()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    list_->addTopLevelItems(items);
    for (int column = 0; column < 3; ++column) {
        list_->resizeColumnToContents(column);
    }
    // Room for the three short columns and a few record names.
    list_->setMinimumWidth(60 * fontMetrics().averageCharWidth());

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* copyButton = buttons->addButton("コピー", QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton("閉じる", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, kExclusionsHelpContext);
    close->setDefault(true);
    connect(copyButton, &QPushButton::clicked, this, &ExclusionsDialog::copy);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void ExclusionsDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ExclusionsDialog::copy() {
    QGuiApplication::clipboard()->setText(fromCp932(text_));
}

} // namespace tarnova::gui
