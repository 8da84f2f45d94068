#include "calc/correction.h"

#include "calc/calc_state.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"
#include "settings/ini_file.h"

namespace tarnova {
namespace {

constexpr std::size_t kItemRoom = 1024;

int setItemCount(const std::string& iniPath, std::string_view name) {
    return ReadProfileInt(iniPath, kCorrectionSetsSection, name, -1);
}

std::string readItemText(const std::string& iniPath, std::string_view name, int number) {
    return ReadProfileString(iniPath, name, formatText("item%d", number), " --NOENTORY-- ",
                             kItemRoom);
}

// One item over the time-ordered peak list: every A peak between two consecutive B peaks loses
// factor x the B signal interpolated to its time; A peaks outside the B peaks are disabled.
void applyItem(std::vector<PeakRecord>& peaks, const CorrectionItem& item) {
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t last = none;
    std::size_t beforeLast = none;
    int interferingCount = 0;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        PeakRecord& peak = peaks[i];
        if (peak.elem == item.interfering) {
            LogLine(item.interfering);
            beforeLast = last;
            last = i;
            ++interferingCount;
            if (beforeLast == none) {
                continue;
            }
            const PeakRecord& from = peaks[beforeLast];
            const PeakRecord& to = peaks[last];
            for (std::size_t j = beforeLast + 1; j < last; ++j) {
                PeakRecord& target = peaks[j];
                if (target.elem != item.corrected) {
                    continue;
                }
                if (target.range != 1.0) {
                    target.height = target.height * target.range;
                    target.range = 1.0;
                }
                const double signal = (to.peakValue() - from.peakValue()) / (to.time - from.time) *
                                          (target.time - from.time) +
                                      from.peakValue();
                target.height = target.height - item.factor * signal;
                LogLine("Correction is applicated.");
            }
        } else if (last == none && peak.elem == item.corrected) {
            peak.flags |= kPeakDisabled;
        }
    }
    if (interferingCount < 2) {
        return;
    }
    for (std::size_t i = last + 1; i < peaks.size(); ++i) {
        if (peaks[i].elem == item.corrected) {
            peaks[i].flags |= kPeakDisabled;
        }
    }
}

} // namespace

std::optional<CorrectionItem> ParseCorrectionItem(std::string_view text) {
    TextScanner scanner(text);
    CorrectionItem item;
    if (!scanner.readBracket(item.corrected, "^,") || !scanner.literal(',') ||
        !scanner.readBracket(item.interfering, "^,") || !scanner.literal(',') ||
        !scanner.readDouble(item.factor)) {
        return std::nullopt;
    }
    return item;
}

std::optional<CorrectionSet> ReadCorrectionSet(const std::string& iniPath, std::string_view name) {
    const int count = setItemCount(iniPath, name);
    if (count < 1) {
        return std::nullopt;
    }
    CorrectionSet set;
    set.name = std::string(name);
    for (int k = 1; k <= count; ++k) {
        set.items.push_back(ParseCorrectionItem(readItemText(iniPath, name, k)));
    }
    return set;
}

int ApplyCorrections(CalcState& state, UserInterfacePort& port, const std::string& iniPath) {
    if (!state.correctionSet) {
        port.beep();
        return 0;
    }
    const std::string& name = *state.correctionSet;
    const int count = setItemCount(iniPath, name);
    if (count < 1) {
        port.showMessage("Tarnova",
                         cp932ToUtf8(name) + "という妨害ピーク補正テーブルはありません。");
        return 0;
    }
    for (int k = 1; k <= count; ++k) {
        const std::string text = readItemText(iniPath, name, k);
        LogLine(text);
        const std::optional<CorrectionItem> item = ParseCorrectionItem(text);
        if (!item) {
            LogLine("Invalid format of item.");
            continue;
        }
        applyItem(state.peaks, *item);
    }
    return 1;
}

} // namespace tarnova
