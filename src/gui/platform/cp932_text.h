// Document texts (code page 932 bytes) in Qt's widgets: decoding for display, encoding what was
// typed, byte limits on typing, and the original bytes of a text the user did not change.
#pragma once

#include <QComboBox>
#include <QString>
#include <QValidator>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova::gui {

QString fromCp932(std::string_view bytes);
std::string toCp932(const QString& text);

// Takes typing only while the text's code page 932 form has at most maxBytes bytes, so that a
// double-byte character never goes in half.
class Cp932LengthValidator final : public QValidator {
  public:
    Cp932LengthValidator(std::size_t maxBytes, QObject* parent)
        : QValidator(parent), maxBytes_(maxBytes) {}
    State validate(QString& input, int& position) const override;

  private:
    std::size_t maxBytes_;
};

// A text shown from document bytes: while the widget still shows it unchanged, the bytes
// themselves come back (bytes that are no code page 932 text survive), else the typed text.
class Cp932Text final {
  public:
    Cp932Text() = default;
    explicit Cp932Text(std::string bytes) : bytes_(std::move(bytes)), shown_(fromCp932(bytes_)) {}
    const QString& shown() const { return shown_; }
    std::string bytesFor(const QString& now) const { return now == shown_ ? bytes_ : toCp932(now); }

  private:
    std::string bytes_;
    QString shown_;
};

// Replaces the items of combo by texts (code page 932 bytes, kept with each item) without
// changing the text of its edit field; selects item current (none for -1).
void setCp932Items(QComboBox* combo, const std::vector<std::string>& texts, int current = -1);
// The bytes of the combo's text: the item's own bytes while the text is that item's.
std::string cp932TextOf(const QComboBox* combo);

// An editable drop-down whose list of entries is the caller's alone: Enter inserts nothing and
// no completer changes what is typed. A hook may keep the list from opening.
class GuardedComboBox final : public QComboBox {
    Q_OBJECT
  public:
    explicit GuardedComboBox(QWidget* parent = nullptr);
    // Called when the list is about to open; it opens only when the hook returns true.
    void setBeforePopup(std::function<bool()> hook) { beforePopup_ = std::move(hook); }
    void showPopup() override;

  private:
    std::function<bool()> beforePopup_;
};

} // namespace tarnova::gui
