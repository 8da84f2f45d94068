#include "gui/calc/calculation_settings_dialog.h"

#include "gui/platform/cp932_text.h"
#include "gui/platform/dialog_buttons.h"
#include "gui/settings/outlier_filter_fields.h"

#include "calc/regression_method.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tarnova::gui {
namespace {

constexpr int kSettingsHelpContext = 40;

QListWidget* labelList(const std::vector<std::string>& labels, const std::vector<bool>& selected) {
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        auto* item = new QListWidgetItem(fromCp932(labels[i]), list);
        item->setSelected(i < selected.size() && selected[i]);
    }
    return list;
}

std::vector<bool> selectedItems(const QListWidget* list) {
    std::vector<bool> selected;
    for (int i = 0; i < list->count(); ++i) {
        selected.push_back(list->item(i)->isSelected());
    }
    return selected;
}

QGroupBox* radioPair(const char* title, QRadioButton* first, QRadioButton* second, bool firstOn) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(first);
    layout->addWidget(second);
    (firstOn ? first : second)->setChecked(true);
    return group;
}

QGroupBox* checkGroup(const char* title, std::initializer_list<QWidget*> boxes) {
    auto* group = new QGroupBox(title);
    auto* layout = new QVBoxLayout(group);
    for (QWidget* box : boxes) {
        layout->addWidget(box);
    }
    return group;
}

QCheckBox* checkBox(const char* label, bool checked) {
    auto* box = new QCheckBox(label);
    box->setChecked(checked);
    return box;
}

} // namespace

CalculationSettingsDialog::CalculationSettingsDialog(QWidget* parent, CalculationSettingsForm& form,
                                                     Confirm confirm,
                                                     std::function<void(int)> showHelp,
                                                     std::function<void()> choosePrinter)
    : QDialog(parent), form_(form), confirm_(std::move(confirm)),
      numerators_(labelList(form.labels, form.numerators)),
      denominators_(labelList(form.labels, form.denominators)),
      abundances_(labelList(form.labels, form.abundances)),
      allNumerators_(checkBox("全て選択", form.allNumerators)),
      allAbundances_(checkBox("全て選択", form.allAbundances)), conf95_(new QRadioButton("95%")),
      conf68_(new QRadioButton("68%")), unbiased_(new QRadioButton("不偏標準偏差")),
      stdDev_(new QRadioButton("標準偏差")),
      showGraph_(checkBox("グラフを表示する", form.showGraph)),
      showResult_(checkBox("計算結果を表示する", form.showResult)),
      printReports_(checkBox("レポートの印刷", form.printReports)),
      printPeakList_(checkBox("ピークリストの印刷", form.printPeakList)),
      correct_(checkBox("妨害イオンを補正する", form.correct)), correctionSets_(new QComboBox),
      fitMethods_(new QComboBox), outlierFilter_(new OutlierFilterFields) {
    setObjectName("calculationsettings");
    setWindowTitle("回帰計算の設定");

    // A ticked "全て選択" chooses every element and disables its list.
    numerators_->setEnabled(!form.allNumerators);
    abundances_->setEnabled(!form.allAbundances);
    connect(allNumerators_, &QCheckBox::toggled, numerators_,
            [this](bool all) { numerators_->setEnabled(!all); });
    connect(allAbundances_, &QCheckBox::toggled, abundances_,
            [this](bool all) { abundances_->setEnabled(!all); });

    setCp932Items(correctionSets_, form.correctionSets);
    correctionSets_->setCurrentIndex(correctionSets_->findText(fromCp932(form.correctionSet)));
    correctionSets_->setEnabled(form.correct);
    connect(correct_, &QCheckBox::toggled, correctionSets_, &QComboBox::setEnabled);

    for (const RegressionMethod& method : RegressionMethods()) {
        fitMethods_->addItem(
            QString::fromUtf8(method.name.data(), static_cast<qsizetype>(method.name.size())));
    }
    fitMethods_->setCurrentIndex(static_cast<int>(form.fitMethod));
    fitMethods_->setObjectName("fitmethod");

    auto* lists = new QGridLayout;
    const struct {
        const char* title;
        QListWidget* list;
        QCheckBox* all;
    } columns[] = {{"分子", numerators_, allNumerators_},
                   {"分母", denominators_, nullptr},
                   {"存在度", abundances_, allAbundances_}};
    for (int column = 0; column < 3; ++column) {
        lists->addWidget(new QLabel(columns[column].title), 0, column);
        lists->addWidget(columns[column].list, 1, column);
        if (columns[column].all != nullptr) {
            lists->addWidget(columns[column].all, 2, column);
        }
    }

    auto* printer = new QPushButton("プリンタ");
    connect(printer, &QPushButton::clicked, this, [choosePrinter] {
        if (choosePrinter) {
            choosePrinter();
        }
    });
    auto* options = new QVBoxLayout;
    options->addWidget(radioPair("信頼限界", conf95_, conf68_, form.conf95));
    options->addWidget(radioPair("標準偏差の推定値", unbiased_, stdDev_, !form.useStdDev));
    auto* method = new QGroupBox("回帰法");
    (new QVBoxLayout(method))->addWidget(fitMethods_);
    options->addWidget(method);
    outlierFilter_->setFilter(form.outlierFilter);
    options->addWidget(outlierFilter_);
    options->addWidget(checkGroup("表示", {showGraph_, showResult_}));
    options->addWidget(checkGroup("印刷", {printReports_, printPeakList_, printer}));
    options->addStretch();

    auto* correction = new QHBoxLayout;
    correction->addWidget(correct_);
    correction->addWidget(correctionSets_, 1);

    auto* buttons = new QDialogButtonBox;
    auto* startButton = buttons->addButton("開始", QDialogButtonBox::AcceptRole);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, kSettingsHelpContext);
    startButton->setDefault(true);
    connect(startButton, &QPushButton::clicked, this, &CalculationSettingsDialog::start);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(lists, 1);
    top->addLayout(options);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(correction);
    layout->addWidget(buttons);
    leaveEnterToTheDefaultButton(this);
}

void CalculationSettingsDialog::start() {
    form_.allNumerators = allNumerators_->isChecked();
    form_.allAbundances = allAbundances_->isChecked();
    form_.numerators = selectedItems(numerators_);
    form_.denominators = selectedItems(denominators_);
    form_.abundances = selectedItems(abundances_);
    form_.conf95 = conf95_->isChecked();
    form_.useStdDev = stdDev_->isChecked();
    form_.showGraph = showGraph_->isChecked();
    form_.showResult = showResult_->isChecked();
    form_.printReports = printReports_->isChecked();
    form_.printPeakList = printPeakList_->isChecked();
    form_.fitMethod = static_cast<std::uint32_t>(std::max(0, fitMethods_->currentIndex()));
    form_.outlierFilter = outlierFilter_->filter();
    form_.correct = correct_->isChecked();
    form_.correctionSet =
        correctionSets_->currentIndex() < 0 ? std::string() : cp932TextOf(correctionSets_);
    if (confirm_(form_)) {
        accept();
    }
}

} // namespace tarnova::gui
