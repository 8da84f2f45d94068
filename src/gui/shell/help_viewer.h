// The help viewer: one topic of the help file at a time, with the contents and a history.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace tarnova::gui {

class HelpViewer final : public QWidget {
    Q_OBJECT

  public:
    // The one help viewer of the process, created when first asked for.
    static HelpViewer* instance();

    // Reads the help file and shows one topic by its anchor name.
    void showTopic(const QString& helpFile, const QString& topic);
    QString currentTopic() const { return history_.value(position_); }
    QTextBrowser* browser() const { return browser_; }

  private:
    HelpViewer();
    void linkClicked(const QUrl& link);
    void display(const QString& topic);
    void goBack();
    void goForward();
    void updateButtons();

    QString helpFile_;
    QStringList history_;
    int position_ = -1;
    QTextBrowser* browser_;
    QPushButton* back_;
    QPushButton* forward_;
};

} // namespace tarnova::gui
