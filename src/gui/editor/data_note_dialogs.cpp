#include "gui/editor/data_note_dialogs.h"

#include "gui/platform/dialog_buttons.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tarnova::gui {
namespace {

constexpr int kNoteFormHelpContext = 120;
constexpr int kDatNoteHelpContext = 118;
constexpr int kPksNoteHelpContext = 119;
constexpr int kViewerHelpContext = 139;
constexpr const char* kEditTitle = "コメントの編集";

// OK, "ｷｬﾝｾﾙ" and "ヘルプ"; OK calls onOk (accept when empty).
QDialogButtonBox* okCancelHelp(QDialog* dialog, const ShowHelpFunction& showHelp, int context,
                               const std::function<void()>& onOk = {}) {
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    addHelpButton(buttons, showHelp, context);
    ok->setDefault(true);
    if (onOk) {
        QObject::connect(ok, &QPushButton::clicked, dialog, onOk);
    } else {
        QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    }
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

NoteFormDialog::NoteFormDialog(QWidget* parent, const ShowHelpFunction& showHelp)
    : QDialog(parent), dat_(new QRadioButton("DAT形式")), pks_(new QRadioButton("PKS形式")) {
    setObjectName("noteformdialog");
    setWindowTitle("データ形式の決定");
    auto* text = new QLabel("コメントを作成するためには、データの形式を決めなければなりません。"
                            "下記のいずれかを選んでください。");
    text->setWordWrap(true);
    dat_->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(dat_);
    layout->addWidget(pks_);
    layout->addWidget(okCancelHelp(this, showHelp, kNoteFormHelpContext));
    leaveEnterToTheDefaultButton(this);
}

DataNoteForm NoteFormDialog::chosenForm() const {
    return pks_->isChecked() ? DataNoteForm::Pks : DataNoteForm::Dat;
}

DatNoteDialog::DatNoteDialog(QWidget* parent, DatNoteTexts& texts,
                             std::function<bool(const DatNoteTexts&)> confirm,
                             const ShowHelpFunction& showHelp)
    : QDialog(parent), texts_(texts), confirm_(std::move(confirm)) {
    setObjectName("datnotedialog");
    setWindowTitle(kEditTitle);
    const std::array<std::pair<std::string*, std::size_t>, 7> sources{{
        {&texts.name, kMaxCommentLength},
        {&texts.date, kMaxDateLength},
        {&texts.spikeId, 0},
        {&texts.spikeVolume, 0},
        {&texts.spikeError, 0},
        {&texts.weight, 0},
        {&texts.comment, kMaxCommentLength},
    }};
    for (std::size_t i = 0; i < sources.size(); ++i) {
        shown_[i] = Cp932Text(*sources[i].first);
        fields_[i] = new QLineEdit(shown_[i].shown());
        if (sources[i].second > 0) {
            fields_[i]->setValidator(new Cp932LengthValidator(sources[i].second, this));
        }
    }
    const auto withUnit = [](std::initializer_list<QWidget*> widgets) {
        auto* row = new QHBoxLayout;
        for (QWidget* widget : widgets) {
            row->addWidget(widget);
        }
        return row;
    };
    auto* form = new QFormLayout;
    form->addRow("サンプル番号", fields_[0]);
    form->addRow("測定日", fields_[1]);
    form->addRow("スパイク番号", fields_[2]);
    form->addRow("スパイク量",
                 withUnit({fields_[3], new QLabel("+/-"), fields_[4], new QLabel("ccSTP")}));
    form->addRow("サンプル重量", withUnit({fields_[5], new QLabel("g")}));
    form->addRow("コメント", fields_[6]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(
        okCancelHelp(this, showHelp, kDatNoteHelpContext, [this] { confirmFields(); }));
    leaveEnterToTheDefaultButton(this);
    resize(sizeHint().width() * 3 / 2, sizeHint().height());
}

void DatNoteDialog::confirmFields() {
    const auto text = [this](std::size_t i) { return shown_[i].bytesFor(fields_[i]->text()); };
    const DatNoteTexts entered{text(0), text(1), text(2), text(3), text(4), text(5), text(6)};
    if (confirm_(entered)) {
        texts_ = entered;
        accept();
    }
}

PksNoteDialog::PksNoteDialog(QWidget* parent, PksNoteEditor& editor,
                             const ShowHelpFunction& showHelp)
    : QDialog(parent), editor_(editor), tags_(new GuardedComboBox), body_(new QPlainTextEdit),
      delete_(new QPushButton("削除")), changeTag_(new QPushButton("タグ変更")),
      new_(new QPushButton("新規")) {
    setObjectName("pksnotedialog");
    setWindowTitle(kEditTitle);
    tags_->setValidator(new Cp932LengthValidator(kMaxTagLength, this));
    tags_->setBeforePopup([this] {
        const PksNoteEditor::DropDownOpening opening =
            editor_.dropDownOpening(fieldBytes(), paneBytes());
        if (opening.open) {
            if (opening.select >= 0) {
                tags_->setCurrentIndex(opening.select);
            }
            return true;
        }
        if (opening.tagsChanged) {
            showComments(opening.paneReplaced);
        }
        return false;
    });
    connect(tags_, &QComboBox::activated, this, [this](int index) {
        if (editor_.choose(index, paneBytes())) {
            showComments(true);
        }
    });
    connect(changeTag_, &QPushButton::clicked, this, [this] {
        editor_.changeTag(fieldBytes());
        showComments(false);
    });
    connect(new_, &QPushButton::clicked, this,
            [this] { showComments(editor_.newComment(fieldBytes(), paneBytes())); });
    connect(delete_, &QPushButton::clicked, this, [this] { showComments(editor_.deleteShown()); });

    auto* tagRow = new QHBoxLayout;
    tagRow->addWidget(new QLabel("タグ"));
    tagRow->addWidget(tags_, 1);
    tagRow->addWidget(delete_);
    tagRow->addWidget(changeTag_);
    tagRow->addWidget(new_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tagRow);
    layout->addWidget(new QLabel("本文"));
    layout->addWidget(body_, 1);
    layout->addWidget(okCancelHelp(this, showHelp, kPksNoteHelpContext));
    leaveEnterToTheDefaultButton(this);
    showComments(true);
    resize(520, 320);
}

QComboBox* PksNoteDialog::tagField() const {
    return tags_;
}

void PksNoteDialog::showComments(bool showBody) {
    std::vector<std::string> tags;
    for (const TaggedComment& comment : editor_.comments()) {
        tags.push_back(comment.tag);
    }
    setCp932Items(tags_, tags, editor_.shown());
    if (showBody) {
        shownBody_ = Cp932Text(editor_.shownBody());
        body_->setPlainText(shownBody_.shown());
    }
}

std::string PksNoteDialog::paneBytes() const {
    return shownBody_.bytesFor(body_->toPlainText());
}

std::string PksNoteDialog::fieldBytes() const {
    return cp932TextOf(tags_);
}

void PksNoteDialog::done(int result) {
    if (result == QDialog::Accepted) {
        editor_.finish(paneBytes());
    } else {
        editor_.cancel();
    }
    QDialog::done(result);
}

DataNoteViewerDialog::DataNoteViewerDialog(QWidget* parent, DataNoteViewer& viewer,
                                           const ShowHelpFunction& showHelp)
    : QDialog(parent), viewer_(viewer), keys_(new QComboBox), value_(new QPlainTextEdit),
      edit_(new QPushButton("編集")) {
    setObjectName("datanoteviewer");
    setWindowTitle("記載の表示");
    value_->setReadOnly(true);
    connect(keys_, &QComboBox::activated, this, &DataNoteViewerDialog::showValue);
    connect(edit_, &QPushButton::clicked, this, [this] {
        if (!viewer_.edit()) {
            return;
        }
        if (!viewer_.isOpen()) {
            reject();
            return;
        }
        showKeys();
    });

    auto* buttons = new QDialogButtonBox;
    buttons->addButton("ｷｬﾝｾﾙ", QDialogButtonBox::RejectRole);
    buttons->addButton(edit_, QDialogButtonBox::ActionRole);
    addHelpButton(buttons, showHelp, kViewerHelpContext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(keys_);
    layout->addWidget(value_, 1);
    layout->addWidget(buttons);
    leaveEnterToTheDefaultButton(this);
    showKeys();
    resize(420, 260);
}

void DataNoteViewerDialog::showKeys() {
    setCp932Items(keys_, viewer_.keys(), viewer_.keys().empty() ? -1 : 0);
    showValue(keys_->currentIndex());
}

void DataNoteViewerDialog::showValue(int key) {
    value_->setPlainText(key < 0 ? QString()
                                 : fromCp932(viewer_.value(static_cast<std::size_t>(key))));
}

} // namespace tarnova::gui
