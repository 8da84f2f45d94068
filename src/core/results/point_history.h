// Undo and redo in the result views: every command that changes which points of a calculation
// count, or the method a record is fitted with (a click on the graph, the Toggle dialog, Enable
// All, Update All, a method of Edit -> Regression, a filter run), is kept as one step. A step
// holds what it changed: the flags of the points and the method of each record it touched (the
// whole record where the command formed its points anew), the flags of the peak list and the
// methods chosen by name, before and after. Undo and redo put one side back and fit the records
// again. The history belongs to one calculation; a new one starts empty.
#pragma once

#include "calc/fit_choice.h"
#include "calc/result_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tarnova {

struct CalcState;

class PointHistory final {
  public:
    // Runs edit, which may change the points and methods of sheet (kAllSheets: of every sheet,
    // the peak list's disabled peaks and the methods chosen by name), and keeps what it changed
    // as one step; an edit that changed nothing leaves the history as it was. A new step drops
    // the steps undone before it. Returns what edit returned.
    bool record(CalcState& state, int sheet, const std::function<bool()>& edit);

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }

    // Puts the records of the last step back as they were before it (undo) or after it (redo)
    // and fits them again. Returns the sheet the step changed, or kAllSheets when it changed
    // several; none when there was nothing to undo or redo, or when the table no longer has the
    // records of the step (the history is then cleared).
    std::optional<int> undo(CalcState& state);
    std::optional<int> redo(CalcState& state);

    void clear();

    // What one record of a step was on one side of it.
    struct RecordSide {
        std::uint32_t fitMethod = 0;
        // The flags of its points, when the step kept the points themselves.
        std::vector<PointFlags> flags;
        // The whole record, when the step formed its points anew.
        std::optional<RegressionResult> whole;
    };
    struct RecordChange {
        int sheet = 0;
        RecordSide before;
        RecordSide after;
    };
    struct Step {
        std::vector<RecordChange> records;
        std::vector<PeakFlags> peakFlagsBefore; // both empty when the peaks kept their flags
        std::vector<PeakFlags> peakFlagsAfter;
        std::optional<FitChoices> choicesBefore; // both none when the choices stayed
        std::optional<FitChoices> choicesAfter;
    };

  private:
    std::optional<int> restore(CalcState& state, const Step& step, bool after);

    std::vector<Step> steps_;
    std::size_t done_ = 0; // steps_[0, done_) are done, the rest undone
};

} // namespace tarnova
