// The run-log window: shows the process's run log, one line per row, with a vertical scroll bar.
#pragma once

#include <QString>
#include <QWidget>

#include <string_view>

class QScrollBar;

namespace tarnova::gui {

// A run-log line as the window shows it. Lines quote file names (UTF-8, as the file system
// gives them) and document texts (code page 932 bytes, such as a file's first line); a line
// that is no valid UTF-8 is read as code page 932.
QString logLineText(std::string_view line);

class LogWindow final : public QWidget {
    Q_OBJECT

  public:
    // Opens the run-log window, or finds the open one. True when a log window exists afterwards.
    static bool open();
    // The open log window, or null.
    static LogWindow* current();

    ~LogWindow() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    LogWindow();
    int lineHeight() const;
    void scrolled(int action);
    void thumbReleased();
    void showFirstVisibleLine();

    QScrollBar* scrollBar_;
};

} // namespace tarnova::gui
