#include "gui/shell/log_window.h"

#include "platform/codepage.h"
#include "platform/run_log.h"

#include <QCloseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStringDecoder>
#include <QWheelEvent>

namespace tarnova::gui {
namespace {

QPointer<LogWindow>& openWindow() {
    static QPointer<LogWindow> window;
    return window;
}

} // namespace

QString logLineText(std::string_view line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QByteArrayView bytes(line.data(), static_cast<qsizetype>(line.size()));
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromStdString(cp932ToUtf8(line));
}

bool LogWindow::open() {
    if (openWindow()) {
        return runLog().isOpen();
    }
    auto* window = new LogWindow;
    if (!runLog().open([window] { window->repaint(); })) {
        delete window;
        return false;
    }
    openWindow() = window;
    window->show();
    return true;
}

LogWindow* LogWindow::current() {
    return openWindow();
}

LogWindow::LogWindow() : scrollBar_(new QScrollBar(Qt::Vertical, this)) {
    setObjectName("logwindowclass");
    setWindowTitle("Tarnova runlog");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(300, 200);
    // The view moves only when the thumb is released, not while it is dragged.
    scrollBar_->setTracking(false);
    scrollBar_->setSingleStep(1);
    scrollBar_->setPageStep(1);
    scrollBar_->setRange(1, 1);
    connect(scrollBar_, &QScrollBar::actionTriggered, this, &LogWindow::scrolled);
    connect(scrollBar_, &QScrollBar::sliderReleased, this, &LogWindow::thumbReleased);
}

LogWindow::~LogWindow() {
    if (openWindow() == this) {
        runLog().close();
    }
}

int LogWindow::lineHeight() const {
    return std::max(1, fontMetrics().height());
}

void LogWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const RunLog& log = runLog();
    const int height = lineHeight();
    const int width = scrollBar_->x();
    const int bottom = event->rect().bottom();
    int y = 0;
    for (int slot = log.firstVisibleLine(); slot < log.lineCount() && y <= bottom; ++slot) {
        painter.drawText(QRect(0, y, width, height), Qt::AlignLeft | Qt::AlignVCenter,
                         logLineText(log.line(slot)));
        y += height;
    }
}

void LogWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int barWidth = scrollBar_->sizeHint().width();
    scrollBar_->setGeometry(width() - barWidth, 0, barWidth, height());
    const auto range = runLog().rangeForHeight(height(), lineHeight(), scrollBar_->value());
    scrollBar_->setRange(range.minimum, range.maximum);
    scrollBar_->setValue(range.position);
}

void LogWindow::closeEvent(QCloseEvent* event) {
    runLog().close();
    openWindow() = nullptr;
    event->accept();
}

void LogWindow::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    for (int i = 0; i < std::abs(steps); ++i) {
        scrolled(steps > 0 ? QAbstractSlider::SliderSingleStepSub
                           : QAbstractSlider::SliderSingleStepAdd);
    }
    event->accept();
}

void LogWindow::scrolled(int action) {
    RunLog& log = runLog();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub:
        log.lineUp();
        break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd:
        log.lineDown();
        break;
    case QAbstractSlider::SliderToMinimum:
        log.toTop();
        break;
    case QAbstractSlider::SliderToMaximum:
        log.toBottom(scrollBar_->maximum());
        break;
    default:
        // Dragging the thumb scrolls only when it is released.
        return;
    }
    showFirstVisibleLine();
}

void LogWindow::thumbReleased() {
    runLog().thumbReleased(scrollBar_->sliderPosition());
    showFirstVisibleLine();
}

void LogWindow::showFirstVisibleLine() {
    scrollBar_->setSliderPosition(runLog().firstVisibleLine() + 1);
    repaint();
}

} // namespace tarnova::gui
