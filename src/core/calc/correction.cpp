#include "calc/correction.h"

#include "calc/calc_state.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "platform/text_scanner.h"
#include "settings/ini_file.h"

#include <algorithm>
#include <charconv>
#include <map>

namespace tarnova {
namespace {

constexpr std::size_t kItemRoom = 1024;
constexpr std::string_view kMissingItem = " --NOENTORY-- ";

// The number k of a key "item<k>" (any letter case, no leading zero), or none.
std::optional<int> itemNumber(std::string_view key) {
    constexpr std::string_view kPrefix = "item";
    if (key.size() <= kPrefix.size() ||
        !profileNamesEqual(key.substr(0, kPrefix.size()), kPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = key.substr(kPrefix.size());
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '0' ||
        number < 1) {
        return std::nullopt;
    }
    return number;
}

// The run log of items that the set counts but the INI does not hold. Only what the log can
// show is written: a gap of a billion items costs no more than one of fifty.
void logMissingItems(long long count) {
    const long long shown = std::min<long long>(count, RunLog::kSlotCount / 2);
    for (long long i = 0; i < shown; ++i) {
        LogLine(kMissingItem);
        LogLine("Invalid format of item.");
    }
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
            peak.flags |= PeakFlag::Disabled | PeakFlag::ExcludedByCorrection;
        }
    }
    if (interferingCount < 2) {
        return;
    }
    for (std::size_t i = last + 1; i < peaks.size(); ++i) {
        if (peaks[i].elem == item.corrected) {
            peaks[i].flags |= PeakFlag::Disabled | PeakFlag::ExcludedByCorrection;
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
    const IniFile ini = IniFile::load(iniPath);
    const int count = ini.readInt(kCorrectionSetsSection, name, -1);
    if (count < 1) {
        return std::nullopt;
    }
    // The first key of each number wins, as a lookup of "item<k>" finds it.
    std::map<int, std::string> present;
    int lastPresent = 0;
    for (IniFile::Entry& entry : ini.entries(name)) {
        const std::optional<int> number = itemNumber(entry.key);
        if (!number) {
            continue;
        }
        lastPresent = std::max(lastPresent, *number);
        if (*number <= count) {
            present.try_emplace(*number, std::move(entry.value));
        }
    }
    CorrectionSet set;
    set.name = std::string(name);
    set.itemCount = std::min(count, lastPresent);
    for (auto& [number, text] : present) {
        if (text.size() >= kItemRoom) {
            text.resize(kItemRoom - 1);
        }
        std::optional<CorrectionItem> item = ParseCorrectionItem(text);
        set.items.push_back({number, std::move(text), std::move(item)});
    }
    return set;
}

bool ApplyCorrections(CalcState& state, UserInterfacePort& port, const std::string& iniPath) {
    if (!state.correctionSet) {
        port.beep();
        return false;
    }
    const std::string& name = *state.correctionSet;
    const std::optional<CorrectionSet> set = ReadCorrectionSet(iniPath, name);
    if (!set) {
        port.showMessage("Tarnova",
                         cp932ToUtf8(name) + "という妨害ピーク補正テーブルはありません。");
        return false;
    }
    long long next = 1; // the number of the item that follows, up to 2^31
    for (const CorrectionSetItem& entry : set->items) {
        logMissingItems(entry.number - next);
        next = entry.number + 1LL;
        LogLine(entry.text);
        if (!entry.item) {
            LogLine("Invalid format of item.");
            continue;
        }
        applyItem(state.peaks, *entry.item);
    }
    logMissingItems(set->itemCount - next + 1);
    return true;
}

} // namespace tarnova
