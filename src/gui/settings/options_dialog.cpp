#include "gui/settings/options_dialog.h"

#include "gui/platform/dialog_buttons.h"
#include "gui/settings/outlier_filter_fields.h"
#include "settings/regression_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarnova::gui {
namespace {

// The data path field: 259 characters; the "/" appended on leaving the page may make 260.
constexpr int kDirectoryLength = 259;
constexpr int kTestLevelLength = 29;

constexpr std::array<const char*, kGridColumnCount> kColumnNames{"Num",    "Elem",  "Time",
                                                                 "Height", "Range", "Peak"};

QString fromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QVBoxLayout* groupLayout(QVBoxLayout* page, const char* title) {
    auto* group = new QGroupBox(title);
    page->addWidget(group);
    return new QVBoxLayout(group);
}

} // namespace

OptionsDialog::OptionsDialog(QWidget* parent, const Settings& settings,
                             const ColumnFormats& formats, UserInterfacePort& ui,
                             std::function<void(int)> showHelp)
    : QDialog(parent), sheet_(settings, formats, ui), pages_(new QTabWidget) {
    setObjectName("optionsheet");
    setWindowTitle("Tarnovaのオプション");
    pages_->addTab(generalPage(), "一般");
    pages_->addTab(dataEditorPage(), "データエディタ");
    pages_->addTab(regressionPage(), "回帰計算");
    pages_->addTab(resultOutputPage(), "結果の出力");
    pages_->addTab(outputPage(OptionsPage::FileOutput), "ファイル出力");
    pages_->addTab(outputPage(OptionsPage::Copy), "コピー");
    pages_->addTab(reportPage(), "レポート");
    // Every page title in full, without scroll arrows.
    pages_->tabBar()->setUsesScrollButtons(false);
    pages_->setCurrentIndex(0);
    showPage(0);
    connect(pages_, &QTabWidget::currentChanged, this, &OptionsDialog::showPage);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QDialogButtonBox::Ok)->setDefault(true);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    // One Help button for the sheet: it opens the help of the page on top.
    addHelpButton(buttons, [this, showHelp] {
        if (showHelp) {
            showHelp(OptionsPageHelpContext(currentPage()));
        }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    leaveEnterToTheDefaultButton(this);
}

QAbstractButton* OptionsDialog::addFlag(OptionsPage page, const char* label) {
    auto* box = new QCheckBox(label);
    flags_[static_cast<std::size_t>(page)].push_back({box, nullptr});
    return box;
}

void OptionsDialog::addRadioFlag(OptionsPage page, QRadioButton* on, QRadioButton* off) {
    flags_[static_cast<std::size_t>(page)].push_back({on, off});
}

QWidget* OptionsDialog::generalPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    directory_ = new QLineEdit;
    directory_->setMaxLength(kDirectoryLength);
    browse_ = new QPushButton("参照");
    connect(browse_, &QAbstractButton::clicked, this, &OptionsDialog::browseFolder);
    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(new QLabel("データパス"));
    directoryRow->addWidget(directory_, 1);
    directoryRow->addWidget(browse_);
    layout->addLayout(directoryRow);
    for (const char* label :
         {"データファイルの末尾にEOFを付加", "PKS形式のコメントを削除するとき警告する",
          "グラフと計算結果のシートを常に一致させる"}) {
        layout->addWidget(addFlag(OptionsPage::General, label));
    }
    QVBoxLayout* arrangement = groupLayout(layout, "結果のウインドウの配置");
    arrangements_ = {new QRadioButton("重ねる"), new QRadioButton("水平に並べる"),
                     new QRadioButton("垂直に並べる")};
    for (QRadioButton* button : arrangements_) {
        arrangement->addWidget(button);
    }
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::dataEditorPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(new QLabel("桁数"), 0, 1);
    grid->addWidget(new QLabel("小数部の桁数"), 0, 2);
    for (int column = 0; column < kGridColumnCount; ++column) {
        const auto index = static_cast<std::size_t>(column);
        grid->addWidget(new QLabel(kColumnNames[index]), column + 1, 0);
        widths_[index] = new QLineEdit;
        grid->addWidget(widths_[index], column + 1, 1);
        if (column >= kTimeColumn) {
            decimals_[index] = new QLineEdit;
            grid->addWidget(decimals_[index], column + 1, 2);
        }
    }
    grid->setRowStretch(kGridColumnCount + 1, 1);
    return page;
}

QWidget* OptionsDialog::regressionPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    const auto radioGroup = [&](const char* title, const char* on, const char* off, bool onFirst) {
        QVBoxLayout* group = groupLayout(layout, title);
        auto* onButton = new QRadioButton(on);
        auto* offButton = new QRadioButton(off);
        group->addWidget(onFirst ? onButton : offButton);
        group->addWidget(onFirst ? offButton : onButton);
        addRadioFlag(OptionsPage::Regression, onButton, offButton);
    };
    radioGroup("信頼限界", "95%", "68%", true);
    radioGroup("標準偏差の推定値", "標準偏差", "不偏標準偏差", false);
    method_ = new QComboBox;
    for (const RegressionMethodNaming& naming : kRegressionMethodNamings) {
        method_->addItem(
            QString::fromUtf8(naming.name.data(), static_cast<qsizetype>(naming.name.size())));
    }
    groupLayout(layout, "回帰の方法")->addWidget(method_);
    filter_ = new OutlierFilterFields;
    layout->addWidget(filter_);
    QVBoxLayout* show = groupLayout(layout, "結果の表示");
    show->addWidget(addFlag(OptionsPage::Regression, "グラフを表示する"));
    show->addWidget(addFlag(OptionsPage::Regression, "計算結果を表示する"));
    QVBoxLayout* print = groupLayout(layout, "印刷");
    print->addWidget(addFlag(OptionsPage::Regression, "レポートの印刷"));
    print->addWidget(addFlag(OptionsPage::Regression, "ピークリストの印刷"));
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::resultOutputPage() {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    QVBoxLayout* table = groupLayout(left, "表");
    for (const char* label : {"シート名", "データ名", "平均値", "時刻値の範囲", "最大値・最小値",
                              "回帰式", "相関係数", "検定結果"}) {
        table->addWidget(addFlag(OptionsPage::ResultOutput, label));
    }
    testLevel_ = new QLineEdit;
    testLevel_->setMaxLength(kTestLevelLength);
    auto* levelRow = new QHBoxLayout;
    levelRow->addWidget(new QLabel("検定水準"));
    levelRow->addWidget(testLevel_, 1);
    levelRow->addWidget(new QLabel("%"));
    left->addLayout(levelRow);
    left->addStretch();
    auto* right = new QVBoxLayout;
    QVBoxLayout* graph = groupLayout(right, "グラフ");
    for (const char* label :
         {"回帰直線", "回帰直線の信頼限界線", "平均値指示線", "シート名", "回帰式"}) {
        graph->addWidget(addFlag(OptionsPage::ResultOutput, label));
    }
    right->addStretch();
    layout->addLayout(left);
    layout->addLayout(right);
    return page;
}

QWidget* OptionsDialog::outputPage(OptionsPage which) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    QVBoxLayout* header = groupLayout(layout, "ヘッダ");
    header->addWidget(addFlag(which, "ヘッダを出力"));
    header->addWidget(addFlag(which, "コメントを出力"));
    QVBoxLayout* body = groupLayout(layout, "ボディ");
    body->addWidget(addFlag(which, "ガイドコメントを出力"));
    layout->addStretch();
    return page;
}

QWidget* OptionsDialog::reportPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (const char* label :
         {"計算結果", "データポイント", "グラフ", "作成のたびにオプションを設定する"}) {
        layout->addWidget(addFlag(OptionsPage::Report, label));
    }
    layout->addStretch();
    return page;
}

std::vector<QAbstractButton*> OptionsDialog::flagButtons(OptionsPage page) const {
    std::vector<QAbstractButton*> buttons;
    for (const FlagControl& control : flags_[static_cast<std::size_t>(page)]) {
        buttons.push_back(control.on);
    }
    return buttons;
}

QRadioButton* OptionsDialog::arrangementButton(WindowArrangement arrangement) const {
    return arrangements_[static_cast<std::size_t>(arrangement)];
}

OptionsPage OptionsDialog::currentPage() const {
    return static_cast<OptionsPage>(pages_->currentIndex());
}

void OptionsDialog::showPage(int index) {
    if (shownPage_ >= 0 && shownPage_ != index) {
        const auto left = static_cast<OptionsPage>(shownPage_);
        sheet_.leavePage(left, pageValues(left));
    }
    shownPage_ = index;
    const auto page = static_cast<OptionsPage>(index);
    // A page is filled from the working copies when it is first opened, as a property sheet
    // creates its pages.
    if (!sheet_.wasOpened(page)) {
        fillPage(page, sheet_.openPage(page));
    }
}

void OptionsDialog::fillPage(OptionsPage page, const OptionsPageValues& values) {
    const std::vector<FlagControl>& controls = flags_[static_cast<std::size_t>(page)];
    for (std::size_t i = 0; i < controls.size() && i < values.flags.size(); ++i) {
        if (controls[i].off) {
            (values.flags[i] ? controls[i].on : controls[i].off)->setChecked(true);
        } else {
            controls[i].on->setChecked(values.flags[i]);
        }
    }
    switch (page) {
    case OptionsPage::General:
        directory_->setText(fromPath(values.directory));
        arrangementButton(values.arrangement)->setChecked(true);
        break;
    case OptionsPage::DataEditor:
        for (std::size_t column = 0; column < widths_.size(); ++column) {
            widths_[column]->setText(QString::fromStdString(values.widths[column]));
            if (decimals_[column]) {
                decimals_[column]->setText(QString::fromStdString(values.decimals[column]));
            }
        }
        break;
    case OptionsPage::Regression:
        method_->setCurrentIndex(static_cast<int>(values.method));
        filter_->setFilter(values.filter);
        break;
    case OptionsPage::ResultOutput:
        testLevel_->setText(QString::fromStdString(values.testLevel));
        break;
    default:
        break;
    }
}

OptionsPageValues OptionsDialog::pageValues(OptionsPage page) const {
    OptionsPageValues values;
    for (const FlagControl& control : flags_[static_cast<std::size_t>(page)]) {
        values.flags.push_back(control.on->isChecked());
    }
    switch (page) {
    case OptionsPage::General:
        values.directory = toPath(directory_->text());
        values.arrangement = arrangements_[2]->isChecked()   ? WindowArrangement::Stacked
                             : arrangements_[1]->isChecked() ? WindowArrangement::SideBySide
                                                             : WindowArrangement::Overlapping;
        break;
    case OptionsPage::DataEditor:
        for (std::size_t column = 0; column < widths_.size(); ++column) {
            values.widths[column] = widths_[column]->text().toStdString();
            if (decimals_[column]) {
                values.decimals[column] = decimals_[column]->text().toStdString();
            }
        }
        break;
    case OptionsPage::Regression:
        values.method = static_cast<std::uint32_t>(std::max(method_->currentIndex(), 0));
        values.filter = filter_->filter();
        break;
    case OptionsPage::ResultOutput:
        values.testLevel = testLevel_->text().toStdString();
        break;
    default:
        break;
    }
    return values;
}

void OptionsDialog::browseFolder() {
    const QString start = fromPath(BrowserStartFolder(toPath(directory_->text())));
    const QString folder = QFileDialog::getExistingDirectory(
        this, "データディレクトリの選択", start,
        QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty()) {
        directory_->setText(fromPath(BrowsedFolderText(toPath(folder))));
    }
}

void OptionsDialog::done(int result) {
    if (result == QDialog::Accepted) {
        const std::optional<RefusedField> refused =
            sheet_.confirm([this](OptionsPage page) { return pageValues(page); });
        if (refused) {
            // The sheet stays open on the first field it refused, for the user to mend.
            showField(*refused);
            return;
        }
    }
    QDialog::done(result);
}

void OptionsDialog::showField(const RefusedField& field) {
    QLineEdit* edit =
        field.page == OptionsPage::ResultOutput ? testLevel_ : widthField(field.column);
    // Brought to the front without leaving the page on top, whose values were just read.
    const QSignalBlocker quiet(pages_);
    pages_->setCurrentIndex(static_cast<int>(field.page));
    shownPage_ = static_cast<int>(field.page);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

} // namespace tarnova::gui
