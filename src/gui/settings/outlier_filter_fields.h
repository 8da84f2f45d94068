// "外れ値の除外": the outlier filter as the settings dialog of a calculation and the options
// sheet show it: a drop-down of the rule, the factor k and the number of passes (both used by
// the σ rule only).
#pragma once

#include "settings/outlier_filter_setting.h"

#include <QGroupBox>

class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace tarnova::gui {

class OutlierFilterFields final : public QGroupBox {
    Q_OBJECT
  public:
    explicit OutlierFilterFields(QWidget* parent = nullptr);

    void setFilter(const OutlierFilter& filter);
    // The filter shown; a k the field only rounded for showing stays as it was set.
    OutlierFilter filter() const;

    // Item i is the rule OutlierRule(i): off, sigma, Chauvenet.
    QComboBox* ruleList() const { return rule_; }
    QDoubleSpinBox* factorField() const { return factor_; }
    QSpinBox* iterationsField() const { return iterations_; }

  private:
    void enableFields();

    QComboBox* rule_;
    QDoubleSpinBox* factor_;
    QSpinBox* iterations_;
    OutlierFilter set_;
    double shownFactor_ = 0.0; // what the factor field made of set_.k
};

} // namespace tarnova::gui
