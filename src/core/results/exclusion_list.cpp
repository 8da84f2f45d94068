#include "results/exclusion_list.h"

#include "calc/calc_state.h"
#include "platform/text_format.h"
#include "results/point_editing.h"
#include "results/result_export.h"

#include <algorithm>
#include <map>
#include <utility>

namespace tarnova {
namespace {

// Whether record holds a point of peak (its points follow the peak list).
bool holdsPoint(const RegressionResult& record, std::uint32_t peak) {
    const std::span<const DataPoint> points = PointsOf(record);
    const auto found = std::lower_bound(
        points.begin(), points.end(), peak,
        [](const DataPoint& point, std::uint32_t index) { return point.peakIndex < index; });
    return found != points.end() && found->peakIndex == peak;
}

bool usesLabel(const RegressionResult& record, const std::string& label) {
    return record.numerator == label || (record.isRatio() && record.denominator == label);
}

} // namespace

const char* ReasonLabel(ExclusionReason reason) {
    switch (reason) {
    case ExclusionReason::Filter:
        return "フィルタ";
    case ExclusionReason::Correction:
        return "補正";
    case ExclusionReason::Hand:
        break;
    }
    return "手動";
}

std::string PointStateText(PeakFlags flags) {
    if (!flags.test(PointFlag::Disabled)) {
        return "有効";
    }
    return std::string("無効 (") + ReasonLabel(ExclusionReasonOf(flags)) + ")";
}

std::vector<ExcludedPeak> ExcludedPeaks(const CalcState& state) {
    std::map<std::pair<std::uint32_t, ExclusionReason>, std::vector<int>> excluded;
    const auto leaves = [&excluded](std::uint32_t peak, ExclusionReason reason, int sheet) {
        std::vector<int>& sheets = excluded[{peak, reason}];
        if (sheet >= 0 && (sheets.empty() || sheets.back() != sheet)) {
            sheets.push_back(sheet);
        }
    };
    const int count = state.resultCount();
    for (int sheet = 0; sheet < count; ++sheet) {
        for (const DataPoint& point : PointsOf((*state.results)[static_cast<std::size_t>(sheet)])) {
            if (!point.isActive() && point.peakIndex < state.peaks.size()) {
                leaves(point.peakIndex, ExclusionReasonOf(point.flags), sheet);
            }
        }
    }
    for (std::uint32_t i = 0; i < state.peaks.size(); ++i) {
        const PeakRecord& peak = state.peaks[i];
        if (!peak.isDisabled()) {
            continue;
        }
        const ExclusionReason reason = ExclusionReasonOf(peak.flags);
        leaves(i, reason, -1);
        for (int sheet = 0; sheet < count; ++sheet) {
            const RegressionResult& record = (*state.results)[static_cast<std::size_t>(sheet)];
            if (usesLabel(record, peak.elem) && !holdsPoint(record, i)) {
                leaves(i, reason, sheet);
            }
        }
    }
    std::vector<ExcludedPeak> peaks;
    for (auto& [key, sheets] : excluded) {
        std::sort(sheets.begin(), sheets.end());
        sheets.erase(std::unique(sheets.begin(), sheets.end()), sheets.end());
        peaks.push_back({key.first, key.second, std::move(sheets)});
    }
    return peaks;
}

std::vector<ExclusionRow> ExclusionRows(const CalcState& state) {
    std::vector<ExclusionRow> rows;
    for (const ExcludedPeak& excluded : ExcludedPeaks(state)) {
        const PeakRecord& peak = state.peaks[excluded.peak];
        ExclusionRow row{peak.elem, formatGeneral(peak.time), excluded.reason, {}};
        for (const int sheet : excluded.sheets) {
            row.records += (row.records.empty() ? "" : ", ") +
                           (*state.results)[static_cast<std::size_t>(sheet)].name();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string ExclusionsText(const CalcState& state, const DataNote* note) {
    std::string text = CopiedDataName(note) + "\r\n#Label\tTime\tReason\tRecords\r\n";
    for (const ExclusionRow& row : ExclusionRows(state)) {
        text += row.label + "\t" + row.time + "\t" + std::string(ExclusionReasonName(row.reason)) +
                "\t" + row.records + "\r\n";
    }
    return text;
}

} // namespace tarnova
