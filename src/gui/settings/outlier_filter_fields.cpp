#include "gui/settings/outlier_filter_fields.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QSpinBox>

#include <algorithm>

namespace tarnova::gui {
namespace {

constexpr int kFactorDecimals = 3;

} // namespace

OutlierFilterFields::OutlierFilterFields(QWidget* parent)
    : QGroupBox("外れ値の除外", parent), rule_(new QComboBox), factor_(new QDoubleSpinBox),
      iterations_(new QSpinBox) {
    setObjectName("outlierfilter");
    rule_->addItems({"しない", "σ法 (|残差| ≥ kσ)", "Chauvenet の基準"});
    factor_->setDecimals(kFactorDecimals);
    factor_->setRange(0.001, 100.0);
    factor_->setSingleStep(0.5);
    iterations_->setRange(1, 100);
    auto* layout = new QFormLayout(this);
    layout->addRow(rule_);
    layout->addRow("k", factor_);
    layout->addRow("繰り返し", iterations_);
    connect(rule_, &QComboBox::currentIndexChanged, this, [this] { enableFields(); });
    setFilter({});
}

void OutlierFilterFields::setFilter(const OutlierFilter& filter) {
    set_ = filter;
    rule_->setCurrentIndex(static_cast<int>(filter.rule));
    factor_->setValue(filter.k);
    shownFactor_ = factor_->value();
    iterations_->setValue(filter.iterations);
    enableFields();
}

OutlierFilter OutlierFilterFields::filter() const {
    OutlierFilter shown;
    shown.rule = static_cast<OutlierRule>(std::max(0, rule_->currentIndex()));
    shown.k = factor_->value() == shownFactor_ ? set_.k : factor_->value();
    shown.iterations = iterations_->value();
    return shown;
}

void OutlierFilterFields::enableFields() {
    const bool sigma = rule_->currentIndex() == static_cast<int>(OutlierRule::Sigma);
    factor_->setEnabled(sigma);
    iterations_->setEnabled(sigma);
}

} // namespace tarnova::gui
