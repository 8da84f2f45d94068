#include "gui/shell/help_viewer.h"

#include "shell/help_document.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace tarnova::gui {

HelpViewer* HelpViewer::instance() {
    static QPointer<HelpViewer> viewer;
    if (!viewer) {
        viewer = new HelpViewer;
    }
    return viewer;
}

HelpViewer::HelpViewer()
    : browser_(new QTextBrowser(this)), back_(new QPushButton(QStringLiteral("戻る"), this)),
      forward_(new QPushButton(QStringLiteral("進む"), this)) {
    setObjectName("helpviewer");
    setWindowTitle(QStringLiteral("Tarnova ヘルプ"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(560, 480);
    browser_->setOpenLinks(false);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpViewer::linkClicked);

    auto* contents = new QPushButton(QStringLiteral("目次"), this);
    contents->setObjectName("contents");
    connect(contents, &QPushButton::clicked, this, [this] {
        display(QString::fromUtf8(kHelpFinderTopic.data(), kHelpFinderTopic.size()));
    });
    connect(back_, &QPushButton::clicked, this, &HelpViewer::goBack);
    connect(forward_, &QPushButton::clicked, this, &HelpViewer::goForward);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    updateButtons();
}

void HelpViewer::showTopic(const QString& helpFile, const QString& topic) {
    helpFile_ = helpFile;
    display(topic);
    // A dialog's Help button asks while the dialog is modal: the viewer then stands for the
    // dialog, so that the modal dialog does not hold back its scrolling and its links.
    QWidget* modal = QApplication::activeModalWidget();
    winId();
    if (QWindow* window = windowHandle()) {
        window->setTransientParent(modal != nullptr && modal != this ? modal->windowHandle()
                                                                     : nullptr);
    }
    show();
    raise();
    activateWindow();
}

void HelpViewer::linkClicked(const QUrl& link) {
    if (link.scheme().isEmpty() && link.path().isEmpty() && !link.fragment().isEmpty()) {
        display(link.fragment());
        return;
    }
    QDesktopServices::openUrl(link);
}

void HelpViewer::display(const QString& topic) {
    QFile file(helpFile_);
    if (!file.open(QIODevice::ReadOnly)) {
        browser_->setPlainText(QStringLiteral("ヘルプファイル %1 を開けません。").arg(helpFile_));
    } else {
        const HelpDocument document(file.readAll().toStdString());
        const auto page = document.topicPage(topic.toStdString());
        if (page) {
            browser_->setHtml(QString::fromStdString(*page));
        } else {
            browser_->setPlainText(QStringLiteral("トピック %1 はありません。").arg(topic));
        }
    }
    if (position_ < 0 || history_.value(position_) != topic) {
        history_ = history_.mid(0, position_ + 1);
        history_.append(topic);
        position_ = static_cast<int>(history_.size()) - 1;
    }
    updateButtons();
}

void HelpViewer::goBack() {
    if (position_ > 0) {
        --position_;
        display(history_.at(position_));
    }
}

void HelpViewer::goForward() {
    if (position_ + 1 < history_.size()) {
        ++position_;
        display(history_.at(position_));
    }
}

void HelpViewer::updateButtons() {
    back_->setEnabled(position_ > 0);
    forward_->setEnabled(position_ + 1 < history_.size());
}

} // namespace tarnova::gui
