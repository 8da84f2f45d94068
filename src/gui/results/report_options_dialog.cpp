#include "gui/results/report_options_dialog.h"

#include "gui/platform/dialog_buttons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {
constexpr int kReportHelpContext = 218;
} // namespace

ReportOptionsDialog::ReportOptionsDialog(std::function<void()> choosePrinter,
                                         std::function<void(int)> showHelp, QWidget* parent)
    : QDialog(parent), result_(new QCheckBox("計算結果")),
      dataPoints_(new QCheckBox("データポイント")), graph_(new QCheckBox("グラフ")) {
    setObjectName("reportoptionsdialog");
    setWindowTitle("レポートの作成");

    auto* options = new QGroupBox("作成時のオプション");
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->addWidget(result_);
    optionsLayout->addWidget(dataPoints_);
    optionsLayout->addWidget(graph_);

    // The buttons in the dialog's own order, "作成開始" first and the default.
    auto* start = new QPushButton("作成開始");
    auto* cancel = new QPushButton("ｷｬﾝｾﾙ");
    printer_ = new QPushButton("プリンタの選択");
    auto* help = new QPushButton("ヘルプ");
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {start, cancel, printer_, help}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addStretch();
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(printer_, &QPushButton::clicked, this, [choosePrinter] {
        if (choosePrinter) {
            choosePrinter();
        }
    });
    connect(help, &QPushButton::clicked, this, [showHelp] {
        if (showHelp) {
            showHelp(kReportHelpContext);
        }
    });
    pressOnF1(help);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(options);
    layout->addLayout(buttons);
    start->setFocus();
}

bool ReportOptionsDialog::run(ReportOptions& options) {
    result_->setChecked(options.result);
    dataPoints_->setChecked(options.dataPoints);
    graph_->setChecked(options.graph);
    if (exec() != QDialog::Accepted) {
        return false;
    }
    options = {result_->isChecked(), dataPoints_->isChecked(), graph_->isChecked()};
    return true;
}

} // namespace tarnova::gui
