#include "results/point_editing.h"

#include "calc/calc_state.h"
#include "calc/outlier_filter.h"
#include "calc/regression.h"
#include "calc/regression_method.h"
#include "platform/text_format.h"

namespace tarnova {

RegressionResult* SheetRecord(CalcState& state, int sheet) {
    if (!state.results || sheet < 0 || sheet >= state.resultCount()) {
        return nullptr;
    }
    return &(*state.results)[static_cast<std::size_t>(sheet)];
}

std::span<DataPoint> PointsOf(RegressionResult& record) {
    if (!record.points) {
        return {};
    }
    return *record.points;
}

std::span<const DataPoint> PointsOf(const RegressionResult& record) {
    if (!record.points) {
        return {};
    }
    return *record.points;
}

void RefitRecord(RegressionResult& record) {
    if (!record.points) {
        return;
    }
    record.fit.reset();
    if (ComputeStatistics(record)) {
        FitLine(record);
    }
}

bool SetSheetMethod(CalcState& state, int sheet, std::uint32_t method) {
    RegressionResult* record = SheetRecord(state, sheet);
    if (record == nullptr || method >= RegressionMethods().size()) {
        return false;
    }
    record->fitMethod = method;
    state.fitChoices.choose(record->name(), method);
    RefitRecord(*record);
    return true;
}

PointFlags ChosenPointFlags(PointFlags flags, bool enable) {
    const bool active = !flags.test(PointFlag::Disabled);
    if (enable == active) {
        return flags;
    }
    // An enabled point stays in through later filter runs; a disabled one is out by hand.
    return enable ? (flags & ~kPointExclusionBits) | PointFlag::KeptByUser
                  : (flags | PointFlag::Disabled) &
                        ~(PointFlag::ExcludedByFilter | PointFlag::ExcludedByCorrection |
                          PointFlag::KeptByUser);
}

bool ClickDataPoint(RegressionResult& record, int index, PointButton button) {
    const std::span<DataPoint> points = PointsOf(record);
    if (index < 0 || static_cast<std::size_t>(index) >= points.size()) {
        return false;
    }
    DataPoint& point = points[static_cast<std::size_t>(index)];
    if (button == PointButton::Right && !point.isActive()) {
        return false;
    }
    point.flags = ChosenPointFlags(point.flags, !point.isActive());
    RefitRecord(record);
    return true;
}

void EnableAllDataPoints(RegressionResult& record) {
    // Every point back, none of them held against the outlier filter.
    for (DataPoint& point : PointsOf(record)) {
        point.flags &= ~(kPointExclusionBits | PointFlag::KeptByUser);
    }
    RefitRecord(record);
}

std::optional<int> FilterSheetOutliers(CalcState& state, int sheet) {
    RegressionResult* record = SheetRecord(state, sheet);
    if (record == nullptr) {
        return std::nullopt;
    }
    return RefilterOutliers(*record, state.outlierFilter);
}

std::vector<std::string> ToggleListLines(const RegressionResult& record) {
    std::vector<std::string> lines;
    int number = 0;
    for (const DataPoint& point : PointsOf(record)) {
        lines.push_back(formatText("%d: ", ++number) + formatGeneral(point.time) + " - " +
                        formatGeneral(point.value, 4));
    }
    return lines;
}

std::vector<bool> EnabledPoints(const RegressionResult& record) {
    std::vector<bool> enabled;
    for (const DataPoint& point : PointsOf(record)) {
        enabled.push_back(point.isActive());
    }
    return enabled;
}

void ApplyEnabledPoints(RegressionResult& record, const std::vector<bool>& selected) {
    std::size_t i = 0;
    for (DataPoint& point : PointsOf(record)) {
        point.flags = ChosenPointFlags(point.flags, i < selected.size() && selected[i]);
        ++i;
    }
    RefitRecord(record);
}

} // namespace tarnova
