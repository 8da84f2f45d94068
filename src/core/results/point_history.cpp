#include "results/point_history.h"

#include "calc/calc_state.h"
#include "results/point_editing.h"

#include <bit>
#include <utility>

namespace tarnova {
namespace {

// The flags a step keeps: the off-graph mark belongs to the last drawing, not to the point.
constexpr PointFlags kKeptPointFlags = ~PointFlag::OffGraph;

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Whether the two records hold the same points (the same peaks, times and values), whatever
// their flags.
bool samePoints(const RegressionResult& a, const RegressionResult& b) {
    if (a.points.has_value() != b.points.has_value()) {
        return false;
    }
    if (!a.points) {
        return a.pointCount == b.pointCount;
    }
    if (a.points->size() != b.points->size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.points->size(); ++i) {
        const DataPoint& p = (*a.points)[i];
        const DataPoint& q = (*b.points)[i];
        if (p.peakIndex != q.peakIndex || !sameBits(p.time, q.time) ||
            !sameBits(p.value, q.value)) {
            return false;
        }
    }
    return true;
}

std::vector<PointFlags> pointFlags(const RegressionResult& record) {
    std::vector<PeakFlags> flags;
    for (const DataPoint& point : PointsOf(record)) {
        flags.push_back(point.flags & kKeptPointFlags);
    }
    return flags;
}

std::vector<PeakFlags> peakFlags(const CalcState& state) {
    std::vector<PeakFlags> flags;
    flags.reserve(state.peaks.size());
    for (const PeakRecord& peak : state.peaks) {
        flags.push_back(peak.flags);
    }
    return flags;
}

bool sameChoices(const FitChoices& a, const FitChoices& b) {
    return a.method == b.method && a.byName == b.byName;
}

// What record became from before, or none when it is the same.
std::optional<PointHistory::RecordChange> changeOf(int sheet, RegressionResult&& before,
                                                   const RegressionResult& after) {
    PointHistory::RecordChange change;
    change.sheet = sheet;
    if (!samePoints(before, after)) {
        change.before.whole = std::move(before);
        change.after.whole = after;
        return change;
    }
    change.before.flags = pointFlags(before);
    change.after.flags = pointFlags(after);
    change.before.fitMethod = before.fitMethod;
    change.after.fitMethod = after.fitMethod;
    if (change.before.flags == change.after.flags &&
        change.before.fitMethod == change.after.fitMethod) {
        return std::nullopt;
    }
    return change;
}

// Whether side can be put into record: the points it has flags for are still there.
bool fits(const PointHistory::RecordSide& side, const RegressionResult& record) {
    return side.whole || side.flags.size() == PointsOf(record).size();
}

void putBack(const PointHistory::RecordSide& side, RegressionResult& record) {
    if (side.whole) {
        record = *side.whole;
        return;
    }
    std::size_t i = 0;
    for (DataPoint& point : PointsOf(record)) {
        point.flags = (point.flags & PointFlag::OffGraph) | side.flags[i++];
    }
    record.fitMethod = side.fitMethod;
    RefitRecord(record);
}

} // namespace

bool PointHistory::record(CalcState& state, int sheet, const std::function<bool()>& edit) {
    // The records the edit may touch, as they are now.
    std::vector<std::pair<int, RegressionResult>> before;
    for (int i = 0; i < state.resultCount(); ++i) {
        if (sheet == kAllSheets || i == sheet) {
            before.emplace_back(i, *SheetRecord(state, i));
        }
    }
    const bool wholeTable = sheet == kAllSheets;
    std::vector<PeakFlags> peaksBefore;
    if (wholeTable) {
        peaksBefore = peakFlags(state);
    }
    const FitChoices choicesBefore = state.fitChoices;
    const int tableSize = state.resultCount();

    const bool result = edit();

    if (state.resultCount() != tableSize) {
        // The edit replaced the table: nothing of the history applies to the new one.
        clear();
        return result;
    }
    Step step;
    for (auto& [index, record] : before) {
        if (auto change = changeOf(index, std::move(record), *SheetRecord(state, index))) {
            step.records.push_back(std::move(*change));
        }
    }
    if (wholeTable) {
        std::vector<PeakFlags> peaksAfter = peakFlags(state);
        if (peaksAfter != peaksBefore) {
            step.peakFlagsBefore = std::move(peaksBefore);
            step.peakFlagsAfter = std::move(peaksAfter);
        }
    }
    if (!sameChoices(choicesBefore, state.fitChoices)) {
        step.choicesBefore = choicesBefore;
        step.choicesAfter = state.fitChoices;
    }
    if (step.records.empty() && step.peakFlagsAfter.empty() && !step.choicesAfter) {
        return result;
    }
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    done_ = steps_.size();
    return result;
}

std::optional<int> PointHistory::restore(CalcState& state, const Step& step, bool after) {
    const std::vector<PeakFlags>& peaks = after ? step.peakFlagsAfter : step.peakFlagsBefore;
    bool whole = peaks.empty() || peaks.size() == state.peaks.size();
    for (const RecordChange& change : step.records) {
        const RegressionResult* record = SheetRecord(state, change.sheet);
        whole = whole && record != nullptr && fits(after ? change.after : change.before, *record);
    }
    if (!whole) {
        clear();
        return std::nullopt;
    }
    for (const RecordChange& change : step.records) {
        putBack(after ? change.after : change.before, *SheetRecord(state, change.sheet));
    }
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        state.peaks[i].flags = peaks[i];
    }
    if (const std::optional<FitChoices>& choices = after ? step.choicesAfter : step.choicesBefore) {
        state.fitChoices = *choices;
    }
    return step.records.size() == 1 ? step.records.front().sheet : kAllSheets;
}

std::optional<int> PointHistory::undo(CalcState& state) {
    if (!canUndo()) {
        return std::nullopt;
    }
    const std::optional<int> sheet = restore(state, steps_[done_ - 1], false);
    if (sheet) {
        --done_;
    }
    return sheet;
}

std::optional<int> PointHistory::redo(CalcState& state) {
    if (!canRedo()) {
        return std::nullopt;
    }
    const std::optional<int> sheet = restore(state, steps_[done_], true);
    if (sheet) {
        ++done_;
    }
    return sheet;
}

void PointHistory::clear() {
    steps_.clear();
    done_ = 0;
}

} // namespace tarnova
