// The About box: program icon, version and build date. Shift and a click on the icon open the
// run log.
#pragma once

#include <QDialog>

class QLabel;

namespace tarnova::gui {

class AboutBox final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);

    QLabel* iconLabel() const { return icon_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* icon_;
};

} // namespace tarnova::gui
