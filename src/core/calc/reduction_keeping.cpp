#include "calc/reduction_keeping.h"

#include "calc/outlier_filter.h"
#include "calc/regression_method.h"
#include "data/pks_format.h"
#include "document/stored_exclusions.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "settings/regression_names.h"

#include <algorithm>
#include <optional>

namespace tarnova {
namespace {

std::string recordName(const RegressionResult& record) {
    return record.isRatio() ? record.numerator + "/" + record.denominator : record.numerator;
}

std::string entryLine(std::string_view tag, const std::string& text) {
    return std::string(tag) + " " + text;
}

// The excluded peaks of a calculation, each with the flags of its exclusion (none: not excluded).
std::vector<PeakFlags> excludedPeaks(const CalcState& state) {
    const std::size_t count = state.peaks.size();
    std::vector<PeakFlags> excluded(count);
    std::vector<bool> pointed(count, false);
    std::vector<bool> byHand(count, false);
    for (const RegressionResult& record : *state.results) {
        if (!record.points) {
            continue;
        }
        for (const DataPoint& point : *record.points) {
            const std::size_t peak = point.peakIndex;
            if (peak >= count) {
                continue;
            }
            pointed[peak] = true;
            if (point.isActive()) {
                continue;
            }
            if (ExclusionReasonOf(point.flags) == ExclusionReason::Hand) {
                byHand[peak] = true;
            }
            if (excluded[peak].none()) {
                excluded[peak] = point.flags & kPointExclusionBits;
            }
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (byHand[i]) {
            excluded[i] = PeakFlag::Disabled;
        } else if (!pointed[i] && state.peaks[i].isDisabled()) {
            excluded[i] = state.peaks[i].flags & kPeakExclusionBits;
        }
    }
    return excluded;
}

// The peaks the user kept in against the outlier filter: one of their points, or the peak
// itself where no record holds a point of it, carries the mark.
std::vector<bool> keptPeaks(const CalcState& state) {
    std::vector<bool> kept(state.peaks.size(), false);
    std::vector<bool> pointed(state.peaks.size(), false);
    for (const RegressionResult& record : *state.results) {
        if (!record.points) {
            continue;
        }
        for (const DataPoint& point : *record.points) {
            if (point.peakIndex < kept.size()) {
                pointed[point.peakIndex] = true;
                if (point.isActive() && point.flags.test(PointFlag::KeptByUser)) {
                    kept[point.peakIndex] = true;
                }
            }
        }
    }
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (!pointed[i] && state.peaks[i].flags.test(PeakFlag::KeptByUser)) {
            kept[i] = true;
        }
    }
    return kept;
}

void countAs(ExclusionCount& count, PeakFlags flags) {
    switch (ExclusionReasonOf(flags)) {
    case ExclusionReason::Hand:
        ++count.byHand;
        break;
    case ExclusionReason::Filter:
        ++count.byFilter;
        break;
    case ExclusionReason::Correction:
        break;
    }
}

} // namespace

StoredReduction ReductionToStore(const CalcState& state, const DataNote* note,
                                 const OutlierFilter& iniFilter) {
    if (state.calcFlags.none() || !state.results) {
        return note != nullptr ? StoredReductionOf(*note) : StoredReduction{};
    }
    StoredReduction reduction;
    const std::vector<PeakFlags> excluded = excludedPeaks(state);
    for (std::size_t i = 0; i < excluded.size(); ++i) {
        if (excluded[i].any()) {
            const PeakRecord& peak = state.peaks[i];
            reduction.exclusions.push_back(
                {peak.elem, pksHundredths(peak.time), ExclusionReasonOf(excluded[i])});
        }
    }
    bool onlyLines = true;
    for (const RegressionResult& record : *state.results) {
        const std::uint32_t method =
            record.fitMethod < kRegressionMethodNamings.size() ? record.fitMethod : kLinearMethod;
        onlyLines = onlyLines && method == kLinearMethod;
        reduction.methods.push_back(
            {recordName(record), std::string(kRegressionMethodNamings[method].keyword)});
    }
    // The stored methods of records this calculation did not make stay stored.
    if (note != nullptr) {
        const std::size_t made = reduction.methods.size();
        for (const StoredMethod& method : StoredReductionOf(*note).methods) {
            const auto first = reduction.methods.begin();
            const auto end = first + static_cast<std::ptrdiff_t>(made);
            if (std::none_of(first, end,
                             [&](const StoredMethod& m) { return m.name == method.name; })) {
                onlyLines = onlyLines && RegressionMethodOfIni(method.method) == kLinearMethod;
                reduction.methods.push_back(method);
            }
        }
    }
    if (onlyLines) {
        reduction.methods.clear();
    }
    if (state.outlierFilter.rule != OutlierRule::Off) {
        reduction.filter = FormatOutlierFilter(state.outlierFilter);
        // Without them a reloaded measurement would be filtered again where the user said no.
        const std::vector<bool> kept = keptPeaks(state);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i]) {
                const PeakRecord& peak = state.peaks[i];
                reduction.kept.push_back({peak.elem, pksHundredths(peak.time)});
            }
        }
    } else if (iniFilter.rule != OutlierRule::Off) {
        reduction.filter = FormatOutlierFilter(state.outlierFilter);
    }
    return reduction;
}

bool SameReduction(const StoredReduction& a, const StoredReduction& b) {
    using Exclusion = std::pair<std::pair<std::string, long>, ExclusionReason>;
    const auto exclusions = [](const std::vector<StoredExclusion>& entries) {
        std::vector<Exclusion> keys;
        for (const StoredExclusion& exclusion : entries) {
            keys.emplace_back(ExclusionKey(exclusion.label, exclusion.hundredths),
                              exclusion.reason);
        }
        std::sort(keys.begin(), keys.end());
        return keys;
    };
    const auto methods = [](const StoredReduction& reduction) {
        std::vector<std::pair<std::string, std::optional<std::uint32_t>>> chosen;
        for (const StoredMethod& method : reduction.methods) {
            chosen.emplace_back(method.name, RegressionMethodOfIni(method.method));
        }
        std::sort(chosen.begin(), chosen.end());
        return chosen;
    };
    return exclusions(a.exclusions) == exclusions(b.exclusions) &&
           exclusions(a.kept) == exclusions(b.kept) && methods(a) == methods(b) &&
           a.filter == b.filter && a.unreadable == b.unreadable;
}

std::vector<std::string> ApplyStoredReduction(CalcState& state, std::vector<PeakRecord>& peaks,
                                              const StoredReduction& reduction, bool keepFilter) {
    std::vector<std::string> unapplied;
    const std::vector<int> matches = MatchExclusions(reduction.exclusions, peaks);
    for (std::size_t i = 0; i < matches.size(); ++i) {
        const StoredExclusion& exclusion = reduction.exclusions[i];
        if (matches[i] < 0) {
            unapplied.push_back(entryLine(kExcludedTag, ExclusionText(exclusion)));
            continue;
        }
        PeakRecord& peak = peaks[static_cast<std::size_t>(matches[i])];
        peak.flags = (peak.flags & ~kPeakExclusionBits) | PeakFlagsOf(exclusion.reason);
    }
    const std::vector<int> keptMatches = MatchExclusions(reduction.kept, peaks);
    for (std::size_t i = 0; i < keptMatches.size(); ++i) {
        if (keptMatches[i] < 0) {
            const StoredExclusion& kept = reduction.kept[i];
            unapplied.push_back(entryLine(kKeptTag, PeakNameText(kept)));
        } else {
            peaks[static_cast<std::size_t>(keptMatches[i])].flags |= PeakFlag::KeptByUser;
        }
    }
    for (const StoredMethod& method : reduction.methods) {
        if (const std::optional<std::uint32_t> found = RegressionMethodOfIni(method.method)) {
            state.fitChoices.choose(method.name, *found);
        } else {
            unapplied.push_back(entryLine(kMethodTag, method.name + " " + method.method));
        }
    }
    if (reduction.filter) {
        if (const std::optional<OutlierFilter> filter = ParseOutlierFilter(*reduction.filter)) {
            if (!keepFilter) {
                state.outlierFilter = *filter;
            }
        } else {
            unapplied.push_back(entryLine(kFilterTag, *reduction.filter));
        }
    }
    for (const TaggedComment& comment : reduction.unreadable) {
        unapplied.push_back(entryLine(comment.tag, comment.text));
    }
    return unapplied;
}

void ReportUnappliedEntries(UserInterfacePort& ui, const std::vector<std::string>& entries) {
    if (entries.empty()) {
        return;
    }
    std::string text = "測定ファイルに記録された次の除外・設定は、当てはまるピークがないか読めない"
                       "ため使いません。";
    for (const std::string& entry : entries) {
        LogLine("Stored entry not applied: " + entry);
        text += '\n';
        text += cp932ToUtf8(entry);
    }
    ui.showMessage("Tarnova", text);
}

ExclusionCount CountExclusions(const RegressionResult& record, std::span<const PeakRecord> peaks) {
    ExclusionCount count;
    if (!record.points) {
        return count;
    }
    for (const DataPoint& point : *record.points) {
        if (!point.isActive()) {
            countAs(count, point.flags);
        }
    }
    if (!record.isRatio()) {
        return count;
    }
    // Disabled numerator peaks leave a ratio without a point; those between two enabled
    // denominator peaks would have given one. The labels are compared by their numbers.
    const std::optional<PeakLabel> denominator = PeakLabel::find(record.denominator);
    const std::optional<PeakLabel> numerator = PeakLabel::find(record.numerator);
    if (!denominator || !numerator) {
        return count;
    }
    bool afterDenominator = false;
    ExclusionCount pending;
    for (const PeakRecord& peak : peaks) {
        if (peak.elem == *denominator && !peak.isDisabled()) {
            if (afterDenominator) {
                count.byHand += pending.byHand;
                count.byFilter += pending.byFilter;
            }
            pending = {};
            afterDenominator = true;
        } else if (afterDenominator && peak.elem == *numerator && peak.isDisabled()) {
            countAs(pending, peak.flags);
        }
    }
    return count;
}

} // namespace tarnova
