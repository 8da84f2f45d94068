#include "gui/calc/correction_table_dialog.h"

#include "data/peak_sheet.h"
#include "gui/platform/cp932_text.h"
#include "gui/platform/dialog_buttons.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {

// A set name: 79 bytes.
constexpr std::size_t kSetNameBytes = 79;

GuardedComboBox* labelField(QWidget* owner) {
    auto* field = new GuardedComboBox;
    field->setValidator(new Cp932LengthValidator(kMaxLabelLength, owner));
    return field;
}

} // namespace

CorrectionTableDialog::CorrectionTableDialog(QWidget* parent, const std::string& iniPath,
                                             UserInterfacePort& ui)
    : QDialog(parent), editor_(iniPath, ui), interfering_(labelField(this)),
      corrected_(labelField(this)), factor_(new QLineEdit(CorrectionTableEditor::kInitialFactor)),
      entries_(new QListWidget), sets_(new GuardedComboBox) {
    setObjectName("correctiontableeditor");
    setWindowTitle("妨害ピーク補正テーブルの編集");
    editor_.open();

    entries_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sets_->setValidator(new Cp932LengthValidator(kSetNameBytes, this));
    // The list of stored sets opens only when unsaved changes may go.
    sets_->setBeforePopup([this] { return editor_.mayDiscardChanges(); });
    connect(sets_, &QComboBox::activated, this, &CorrectionTableDialog::chooseSet);

    auto* registerButton = new QPushButton("登録");
    auto* deleteButton = new QPushButton("削除");
    auto* saveButton = new QPushButton("設定を保存");
    connect(registerButton, &QPushButton::clicked, this, &CorrectionTableDialog::registerEntry);
    connect(deleteButton, &QPushButton::clicked, this, &CorrectionTableDialog::deleteEntries);
    connect(saveButton, &QPushButton::clicked, this, &CorrectionTableDialog::saveSet);

    auto* entry = new QGridLayout;
    entry->addWidget(new QLabel("妨害ピーク"), 0, 0);
    entry->addWidget(interfering_, 1, 0);
    entry->addWidget(new QLabel("補正ピーク"), 0, 1);
    entry->addWidget(corrected_, 1, 1);
    entry->addWidget(new QLabel("補正係数"), 0, 2);
    entry->addWidget(factor_, 1, 2);
    entry->addWidget(registerButton, 1, 3);

    auto* listRow = new QHBoxLayout;
    listRow->addWidget(entries_, 1);
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(deleteButton);
    listButtons->addStretch();
    listRow->addLayout(listButtons);

    auto* setRow = new QHBoxLayout;
    setRow->addWidget(new QLabel("現在のセット"));
    setRow->addWidget(sets_, 1);
    setRow->addWidget(saveButton);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QDialogButtonBox::Ok)->setDefault(true);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(entry);
    layout->addLayout(listRow, 1);
    layout->addLayout(setRow);
    layout->addWidget(buttons);
    showLists();
    sets_->setEditText({});
    leaveEnterToTheDefaultButton(this);
}

QComboBox* CorrectionTableDialog::setField() const {
    return sets_;
}

void CorrectionTableDialog::showLists() {
    setCp932Items(corrected_, editor_.correctedLabels());
    setCp932Items(interfering_, editor_.interferingLabels());
    setCp932Items(sets_, editor_.setNames());
    entries_->clear();
    for (const std::string& entry : editor_.entries()) {
        entries_->addItem(fromCp932(entry));
    }
}

void CorrectionTableDialog::registerEntry() {
    editor_.registerEntry(cp932TextOf(corrected_), cp932TextOf(interfering_),
                          factor_->text().toStdString());
    showLists();
}

void CorrectionTableDialog::deleteEntries() {
    std::vector<std::size_t> positions;
    for (const QModelIndex& index : entries_->selectionModel()->selectedIndexes()) {
        positions.push_back(static_cast<std::size_t>(index.row()));
    }
    editor_.deleteEntries(positions);
    showLists();
}

void CorrectionTableDialog::saveSet() {
    editor_.saveSet(cp932TextOf(sets_));
    showLists();
}

void CorrectionTableDialog::chooseSet(int index) {
    if (index < 0) {
        return;
    }
    editor_.chooseSet(sets_->itemData(index).toByteArray().toStdString());
    showLists();
}

void CorrectionTableDialog::done(int result) {
    // OK asks before unsaved changes go; "ｷｬﾝｾﾙ" closes at once.
    if (result == QDialog::Accepted && !editor_.mayDiscardChanges()) {
        return;
    }
    QDialog::done(result);
}

} // namespace tarnova::gui
