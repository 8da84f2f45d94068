#include "gui/shell/about_box.h"

#include "gui/shell/log_window.h"
#include "gui/shell/resources.h"
#include "platform/run_log.h"
#include "shell/build_date.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnova::gui {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent), icon_(new QLabel(this)) {
    initResources();
    setObjectName("aboutbox");
    setWindowTitle(QStringLiteral("Tarnovaについて"));
    icon_->setObjectName("icon");
    icon_->setPixmap(QIcon(":/tarnova.svg").pixmap(32, 32));
    icon_->installEventFilter(this);

    auto* version = new QLabel(QStringLiteral("Ver.2.00"), this);
    version->setObjectName("version");
    auto* build = new QLabel(QString::fromStdString(BuildDateText(__DATE__)), this);
    build->setObjectName("build");
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QStringLiteral("Tarnova"), this));
    texts->addWidget(version);
    texts->addWidget(build);
    auto* top = new QHBoxLayout;
    top->addWidget(icon_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool AboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == icon_ && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && (mouse->modifiers() & Qt::ShiftModifier)) {
            if (LogWindow::open()) {
                LogLine("Start logging.");
            } else {
                QMessageBox::information(this, "Tarnova", "Can't open log window!");
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tarnova::gui
