// The label of a peak. Its text is kept once, in the label table of the process, and a peak
// holds only the number of its text there: a measurement of 10^6 peaks of five labels keeps
// five texts, and a peak record takes 32 bytes instead of 64.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace tarnova {

class PeakLabel {
  public:
    // The empty label.
    PeakLabel() = default;
    // The label of text, entered into the table when no peak had it before. Texts are never
    // taken out of the table: it holds every label the process has met, as many as there are
    // different labels, not peaks. Throws std::bad_alloc when memory runs out.
    PeakLabel(std::string_view text); // NOLINT(google-explicit-constructor): a label is its text
    PeakLabel(const std::string& text) : PeakLabel(std::string_view(text)) {} // NOLINT
    PeakLabel(const char* text) : PeakLabel(std::string_view(text)) {}        // NOLINT

    // The label of text if the table holds it; enters nothing.
    static std::optional<PeakLabel> find(std::string_view text);

    // The text; it stays valid and unchanged for the rest of the process.
    const std::string& str() const;
    operator const std::string&() const { return str(); } // NOLINT: a label reads as its text
    const char* c_str() const { return str().c_str(); }
    std::size_t size() const { return str().size(); }
    bool empty() const { return id_ == 0; }
    // The number of the text in the table: equal labels have equal numbers. 0 is the empty one.
    std::uint32_t id() const { return id_; }

    friend bool operator==(PeakLabel a, PeakLabel b) { return a.id_ == b.id_; }
    friend bool operator==(PeakLabel a, std::string_view b) { return a.str() == b; }
    friend bool operator==(PeakLabel a, const std::string& b) { return a.str() == b; }
    friend bool operator==(PeakLabel a, const char* b) { return a.str() == b; }

  private:
    std::uint32_t id_ = 0;
};

// Writes the text.
std::ostream& operator<<(std::ostream& out, PeakLabel label);

} // namespace tarnova
