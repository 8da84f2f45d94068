// The dialog "レポートの作成": what a report holds ("計算結果", "データポイント", "グラフ"),
// "作成開始" to make it, and "プリンタの選択" to choose the printer without leaving the dialog.
#pragma once

#include "results/print_jobs.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;

namespace tarnova::gui {

class ReportOptionsDialog final : public QDialog {
    Q_OBJECT
  public:
    // choosePrinter runs the printer selection; showHelp is called with the help context.
    ReportOptionsDialog(std::function<void()> choosePrinter, std::function<void(int)> showHelp,
                        QWidget* parent = nullptr);

    // Shows options in the boxes; on "作成開始" takes the boxes into options and returns true.
    bool run(ReportOptions& options);

    QCheckBox* resultBox() const { return result_; }
    QCheckBox* dataPointsBox() const { return dataPoints_; }
    QCheckBox* graphBox() const { return graph_; }
    QPushButton* printerButton() const { return printer_; }

  private:
    QCheckBox* result_;
    QCheckBox* dataPoints_;
    QCheckBox* graph_;
    QPushButton* printer_ = nullptr;
};

} // namespace tarnova::gui
