#include "gui/results/report_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
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

    auto* buttons = new QDialogButtonBox(Qt::Vertical);
    auto* start = buttons->addButton("作成開始", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    printer_ = buttons->addButton("プリンタの選択", QDialogButtonBox::ActionRole);
    auto* help = buttons->addButton("ヘルプ", QDialogButtonBox::HelpRole);
    start->setDefault(true);
    connect(start, &QPushButton::clicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
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

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(options);
    layout->addWidget(buttons);
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
