#include "gui/results/test_dialogs.h"

#include "calc/coefficient_tests.h"
#include "calc/result_table.h"
#include "gui/platform/dialog_buttons.h"
#include "platform/user_interface_port.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {

constexpr int kCorrelationHelpContext = 54;
constexpr int kSlopeHelpContext = 72;

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

SheetTestDialog::SheetTestDialog(SheetTest test, const RegressionResult& record, QWidget* parent,
                                 std::function<void(int)> showHelp)
    : QDialog(parent), test_(test), activeCount_(record.activeCount), level_(new QLineEdit(this)),
      verdict_(new QPlainTextEdit(this)) {
    const bool correlation = test == SheetTest::Correlation;
    setObjectName(correlation ? "correlationtestdialog" : "slopetestdialog");
    setWindowTitle(correlation ? "相関のt検定" : "回帰式の検定");
    statistic_ = correlation ? record.tOfR : record.fit->fValue;

    auto* form = new QFormLayout;
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(level_);
    levelRow->addWidget(new QLabel("%"));
    form->addRow("有意水準", levelRow);
    if (correlation) {
        const CorrelationTestFields fields =
            correlationTestFields(record.activeCount, record.r, record.tOfR);
        addField(form, "標本数", fields.sampleSize);
        addField(form, "自由度", fields.degreesOfFreedom);
        addField(form, "相関係数(r)", fields.r);
        addField(form, "t値", fields.tValue);
    } else {
        const LineFit& fit = *record.fit;
        const SlopeTestFields fields =
            slopeTestFields(record.activeCount, record.variance, fit.regressionPerPoint,
                            fit.residualPerPoint, fit.fValue);
        addField(form, "標本数", fields.sampleSize);
        addField(form, "自由度", fields.degreesOfFreedom);
        addField(form, "全分散", fields.totalVariance);
        addField(form, "級間分散", fields.betweenVariance);
        addField(form, "級内分散", fields.withinVariance);
        addField(form, "F値", fields.fValue);
    }
    percentagePoint_ = addField(form, "パーセント点", "");
    verdict_->setReadOnly(true);
    verdict_->setPlainText(fromUtf8(kNotTestedVerdict));
    verdict_->setMaximumHeight(4 * fontMetrics().height());

    auto* buttons = new QDialogButtonBox(this);
    recalculate_ = buttons->addButton("再計算", QDialogButtonBox::ApplyRole);
    buttons->addButton("閉じる", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, correlation ? kCorrelationHelpContext : kSlopeHelpContext);
    recalculate_->setDefault(true);
    connect(recalculate_, &QPushButton::clicked, this, &SheetTestDialog::recalculate);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(verdict_);
    layout->addWidget(buttons);
    level_->setFocus();
}

QLineEdit* SheetTestDialog::addField(QFormLayout* form, const char* label,
                                     const std::string& text) {
    auto* field = new QLineEdit(QString::fromStdString(text), this);
    field->setReadOnly(true);
    field->setObjectName(QString::fromUtf8(label));
    form->addRow(QString::fromUtf8(label), field);
    return field;
}

QLineEdit* SheetTestDialog::field(const QString& label) const {
    return findChild<QLineEdit*>(label, Qt::FindDirectChildrenOnly);
}

QString SheetTestDialog::verdict() const {
    return verdict_->toPlainText();
}

void SheetTestDialog::recalculate() {
    const double p = significanceFromPercentText(level_->text().toStdString());
    const TestOutcome outcome = test_ == SheetTest::Correlation
                                    ? correlationTest(statistic_, activeCount_, p)
                                    : slopeTest(statistic_, activeCount_, p);
    percentagePoint_->setText(QString::fromStdString(outcome.percentagePointText));
    verdict_->setPlainText(QString::fromStdString(outcome.verdict));
}

int OpenSheetTest(SheetTest test, const RegressionResult* record, QWidget* parent,
                  UserInterfacePort& ui, const std::function<void(int)>& showHelp) {
    const bool hasRecord = record != nullptr;
    const int active = hasRecord ? record->activeCount : 0;
    const std::string_view refusal =
        test == SheetTest::Correlation
            ? correlationTestRefusal(hasRecord, active,
                                     hasRecord && record->fit ? record->fit->method : 0)
            : slopeTestRefusal(hasRecord, active, hasRecord && record->fit.has_value(),
                               hasRecord && record->fit ? record->fit->method : 0);
    if (!refusal.empty()) {
        ui.showMessage("Tarnova", refusal);
        return 0;
    }
    if (test == SheetTest::Slope) {
        logSlopeTestVariances(record->variance, record->fit->regressionPerPoint,
                              record->fit->residualPerPoint);
    }
    SheetTestDialog dialog(test, *record, parent, showHelp);
    dialog.exec();
    return 1;
}

} // namespace tarnova::gui
