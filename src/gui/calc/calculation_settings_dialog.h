// The regression settings dialog "回帰計算の設定": the element list three times (numerators,
// denominators, abundances), the two "全て選択" boxes, the confidence limits, the error
// estimate, the regression method and the outlier filter, what to show and print, and the
// correction set. It shows a form that the core made
// and hands it back to the core's confirmation on "開始".
#pragma once

#include "calc/calculation_port.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QListWidget;
class QRadioButton;

namespace tarnova::gui {

class OutlierFilterFields;

class CalculationSettingsDialog final : public QDialog {
    Q_OBJECT
  public:
    using Confirm = std::function<bool(CalculationSettingsForm&)>;

    // form is shown and, on "開始", filled and handed to confirm; the dialog closes when confirm
    // returns true. showHelp opens a help context; choosePrinter is "プリンタ".
    CalculationSettingsDialog(QWidget* parent, CalculationSettingsForm& form, Confirm confirm,
                              std::function<void(int)> showHelp,
                              std::function<void()> choosePrinter);

    QListWidget* numeratorList() const { return numerators_; }
    QListWidget* denominatorList() const { return denominators_; }
    QListWidget* abundanceList() const { return abundances_; }
    QCheckBox* allNumeratorsBox() const { return allNumerators_; }
    QCheckBox* allAbundancesBox() const { return allAbundances_; }
    QCheckBox* correctBox() const { return correct_; }
    QComboBox* correctionSetList() const { return correctionSets_; }
    QComboBox* fitMethodList() const { return fitMethods_; }
    OutlierFilterFields* outlierFilterFields() const { return outlierFilter_; }

  private:
    void start();

    CalculationSettingsForm& form_;
    Confirm confirm_;
    QListWidget* numerators_;
    QListWidget* denominators_;
    QListWidget* abundances_;
    QCheckBox* allNumerators_;
    QCheckBox* allAbundances_;
    QRadioButton* conf95_;
    QRadioButton* conf68_;
    QRadioButton* unbiased_;
    QRadioButton* stdDev_;
    QCheckBox* showGraph_;
    QCheckBox* showResult_;
    QCheckBox* printReports_;
    QCheckBox* printPeakList_;
    QCheckBox* correct_;
    QComboBox* correctionSets_;
    QComboBox* fitMethods_; // "回帰法"; item i is method i of the method table
    OutlierFilterFields* outlierFilter_;
};

} // namespace tarnova::gui
