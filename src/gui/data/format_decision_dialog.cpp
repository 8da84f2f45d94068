#include "gui/data/format_decision_dialog.h"

#include "platform/codepage.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFontDatabase>
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

FormatDecisionDialog::FormatDecisionDialog(QWidget* parent, const std::string& path,
                                           const std::string& contents)
    : QDialog(parent), path_(new QLineEdit(QString::fromStdString(path))),
      text_(new QPlainTextEdit), dat_(new QRadioButton("DAT形式(&D)")),
      pks_(new QRadioButton("PKS形式(&P)")), pksOther_(new QRadioButton("PKS形式・その他(&O)")),
      original_(contents) {
    setObjectName("formatdecisiondialog");
    setWindowTitle("データ形式の指定");

    path_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setPlainText(QString::fromStdString(cp932ToUtf8(contents)));
    shown_ = text_->toPlainText();

    auto* fileRow = new QFormLayout;
    fileRow->addRow("ファイル", path_);

    auto* formats = new QGroupBox("データ形式");
    auto* formatLayout = new QHBoxLayout(formats);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* button : {dat_, pks_, pksOther_}) {
        group->addButton(button);
        formatLayout->addWidget(button);
    }
    dat_->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("形式を判別できません。内容を確認して形式を選んでください。"));
    layout->addLayout(fileRow);
    layout->addWidget(text_, 1);
    layout->addWidget(formats);
    layout->addWidget(buttons);
    resize(640, 480);
    dat_->setFocus();
}

int FormatDecisionDialog::chosenFormat() const {
    if (dat_->isChecked()) {
        return 1;
    }
    if (pks_->isChecked()) {
        return 2;
    }
    return pksOther_->isChecked() ? 3 : 0;
}

std::string FormatDecisionDialog::path() const {
    return path_->text().toStdString();
}

std::string FormatDecisionDialog::contents() const {
    QString text = text_->toPlainText();
    if (text == shown_) {
        return original_;
    }
    // The text field ends lines with a bare line feed; keep the file's own line ends.
    if (original_.find("\r\n") != std::string::npos) {
        text.replace('\n', "\r\n");
    }
    return utf8ToCp932(text.toStdString());
}

QRadioButton* FormatDecisionDialog::choice(int format) const {
    switch (format) {
    case 1:
        return dat_;
    case 2:
        return pks_;
    case 3:
        return pksOther_;
    default:
        return nullptr;
    }
}

} // namespace tarnova::gui
