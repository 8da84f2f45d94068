// The run log: the last 100 progress lines of the process, kept only while a log window is open.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarnova {

class RunLog final {
  public:
    static constexpr int kSlotCount = 100;

    // Opening records that a log window exists and starts an empty line table.
    // Returns false when a log window is already open.
    bool open(std::function<void()> repaint);
    void close();
    bool isOpen() const { return table_.has_value(); }

    // Appends a copy of text as the newest line; dropped while no log window is open.
    void logLine(std::string_view text);

    // Slots filled from 0 upward without gaps; 0 while closed.
    int lineCount() const { return lineCount_; }
    const std::string& line(int slot) const { return (*table_)[static_cast<std::size_t>(slot)]; }

    // Index of the slot drawn at the top; kept for the whole process, across reopening.
    int firstVisibleLine() const { return firstVisible_; }
    void setFirstVisibleLine(int slot) { firstVisible_ = slot; }

    // Scroll bar rules of the log window (positions are 1-based).
    struct ScrollRange {
        int minimum = 1;
        int maximum = 1;
        int position = 1;
    };
    ScrollRange rangeForHeight(int clientHeight, int lineHeight, int currentPosition) const;
    void lineUp();
    void lineDown();
    void thumbReleased(int position) { firstVisible_ = position - 1; }
    void toTop() { firstVisible_ = 0; }
    void toBottom(int rangeMaximum) { firstVisible_ = rangeMaximum - 1; }

  private:
    std::optional<std::array<std::string, kSlotCount>> table_;
    int lineCount_ = 0;
    int firstVisible_ = 0;
    std::function<void()> repaint_;
};

RunLog& runLog();
void LogLine(std::string_view text);

} // namespace tarnova
