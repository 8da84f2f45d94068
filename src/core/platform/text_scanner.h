// A safe scanner with the rules of scanf patterns: a blank in a pattern matches any white
// space including none; %d, %f/%lf, %s and %[...] conversions with optional widths. Each
// conversion returns false, consuming nothing, when it finds no match.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnova {

class TextScanner final {
  public:
    explicit TextScanner(std::string_view text) : text_(text) {}

    // A blank in a pattern.
    void skipWhiteSpace();
    // An ordinary character of a pattern; scanf does not skip white space before it.
    bool literal(char c);
    // A run of ordinary characters, each as literal().
    bool literal(std::string_view characters);
    // %ld (white space skipped first); width 0 means unlimited. A value beyond long saturates
    // as strtol does.
    bool readInt(long& value, std::size_t width = 0);
    // %d: the low 32 bits of what %ld reads, as scanf stores it.
    bool readInt(int& value, std::size_t width = 0);
    // %lf (white space skipped first); width 0 means unlimited. Takes exactly what the C
    // library's scanf takes: hexadecimal numbers, "inf", "infinity" and "nan" in any case, a
    // trailing "e" or "e+" (read as without it); a partial "infinity" or a bare "0x" fails.
    // Numbers always have a decimal point, whatever the locale.
    bool readDouble(double& value, std::size_t width = 0);
    // %s (white space skipped first): a run of non-white characters.
    bool readWord(std::string& value, std::size_t width = 0);
    // %[set] or %[^set] (no white space skipped); set is the text between the brackets.
    bool readBracket(std::string& value, std::string_view set, std::size_t width = 0);

    bool atEnd() const { return position_ >= text_.size(); }
    std::size_t position() const { return position_; }
    std::string_view rest() const { return text_.substr(position_); }

  private:
    std::string_view text_;
    std::size_t position_ = 0;
};

bool isScanWhiteSpace(char c);

} // namespace tarnova
