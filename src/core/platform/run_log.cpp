#include "platform/run_log.h"

#include <algorithm>
#include <utility>

namespace tarnova {

bool RunLog::open(std::function<void()> repaint) {
    if (table_) {
        return false;
    }
    table_.emplace();
    lineCount_ = 0;
    repaint_ = std::move(repaint);
    return true;
}

void RunLog::close() {
    table_.reset();
    lineCount_ = 0;
    repaint_ = nullptr;
}

void RunLog::logLine(std::string_view text) {
    if (!table_) {
        return;
    }
    auto& slots = *table_;
    if (lineCount_ == kSlotCount) {
        std::move(slots.begin() + 1, slots.end(), slots.begin());
        --lineCount_;
    }
    slots[static_cast<std::size_t>(lineCount_)] = std::string(text);
    ++lineCount_;
    if (repaint_) {
        repaint_();
    }
}

RunLog::ScrollRange RunLog::rangeForHeight(int clientHeight, int lineHeight,
                                           int currentPosition) const {
    ScrollRange range;
    const int wholeLines = lineHeight > 0 ? clientHeight / lineHeight : 0;
    range.maximum = std::max(1, kSlotCount - wholeLines);
    range.position = currentPosition < 0 ? 1 : std::min(currentPosition, range.maximum);
    return range;
}

void RunLog::lineUp() {
    if (firstVisible_ > 0) {
        --firstVisible_;
    }
}

void RunLog::lineDown() {
    if (firstVisible_ < kSlotCount - 1) {
        ++firstVisible_;
    }
}

RunLog& runLog() {
    static RunLog log;
    return log;
}

void LogLine(std::string_view text) {
    runLog().logLine(text);
}

} // namespace tarnova
