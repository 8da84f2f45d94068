// tarnova-cli exclude: stores peaks excluded by hand in a PKS file, as the program's Save
// writes them, so that every later calculation of the file leaves them out.
#include "cli/commands.h"
#include "cli/sheet_loading.h"
#include "data/stored_reduction.h"
#include "document/peak_list_extraction.h"
#include "document/save_peak_file.h"
#include "document/stored_exclusions.h"

#include <algorithm>
#include <numeric>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = "tarnova-cli exclude FILE [LABEL@TIME]... [--clear] [--ini INI] "
                               "[--format dat|pks|asc|mmdat]";

// The stored exclusions with those given: a peak already stored is excluded by hand now, a new
// one is added; all of them in the order of their peaks' times, as the program's Save has them,
// and those that name no peak last.
std::vector<StoredExclusion> merged(std::vector<StoredExclusion> stored,
                                    const std::vector<StoredExclusion>& given,
                                    const std::vector<PeakRecord>& peaks) {
    std::vector<int> storedPeaks = MatchExclusions(stored, peaks);
    const std::vector<int> givenPeaks = MatchExclusions(given, peaks);
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto known = std::find(storedPeaks.begin(), storedPeaks.end(), givenPeaks[i]);
        if (known != storedPeaks.end()) {
            stored[static_cast<std::size_t>(known - storedPeaks.begin())].reason =
                ExclusionReason::Hand;
            continue;
        }
        stored.push_back(given[i]);
        storedPeaks.push_back(givenPeaks[i]);
    }
    std::vector<std::size_t> order(stored.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int peakA = storedPeaks[a];
        const int peakB = storedPeaks[b];
        if (peakA < 0 || peakB < 0) {
            return peakA >= 0 && peakB < 0;
        }
        const std::weak_ordering byTime = PeakTimeOrder(peaks[static_cast<std::size_t>(peakA)],
                                                        peaks[static_cast<std::size_t>(peakB)]);
        return byTime != 0 ? byTime < 0 : peakA < peakB;
    });
    std::vector<StoredExclusion> result;
    for (const std::size_t i : order) {
        result.push_back(stored[i]);
    }
    return result;
}

} // namespace

int runExcludeCommand(const Arguments& arguments) {
    bool clear = false;
    const std::optional<Arguments> rest = takeFlag(arguments, "--clear", clear);
    if (!rest) {
        return usageError(kUsage);
    }
    const auto parsed = parseSheetArguments(*rest, false, 0);
    if (!parsed) {
        return usageError(kUsage);
    }
    std::vector<StoredExclusion> given;
    for (std::size_t i = 1; i < parsed->paths.size(); ++i) {
        const std::optional<StoredExclusion> exclusion = ParseExclusion(parsed->paths[i], false);
        if (!exclusion || exclusion->reason != ExclusionReason::Hand) {
            reportUsageProblem(parsed->paths[i] + ": LABEL@TIME expected, TIME in seconds with "
                                                  "at most two decimals (Ar40@11.5)");
            return usageError(kUsage);
        }
        if (std::find(given.begin(), given.end(), *exclusion) == given.end()) {
            given.push_back(*exclusion);
        }
    }
    if (given.empty() && !clear) {
        reportUsageProblem("nothing to do: give LABEL@TIME or --clear");
        return usageError(kUsage);
    }
    ConsoleSheet sheet;
    const std::string& path = parsed->paths.front();
    if (!sheet.load(path, *parsed)) {
        return 1;
    }
    std::optional<DataNote>& note = currentDataNote();
    if (!note || note->fileForm != DataNoteForm::Pks) {
        sheet.ui.showMessage("Tarnova", path +
                                            "はPKS形式ではありません。除外を記録できるのはPKS"
                                            "ファイルだけです(convert --to pksで変換できます)。");
        return 1;
    }
    const std::optional<std::vector<PeakRecord>> peaks = ExtractPeakList(sheet.grid);
    if (!peaks) {
        sheet.ui.showMessage("Tarnova", "データリストを抽出できません。");
        return 1;
    }
    const std::vector<int> matches = MatchExclusions(given, *peaks);
    bool unmatched = false;
    for (std::size_t i = 0; i < given.size(); ++i) {
        if (matches[i] < 0) {
            sheet.ui.showMessage("Tarnova", given[i].label + "@" +
                                                PeakTimeText(given[i].hundredths) +
                                                "に当てはまるピークがありません。");
            unmatched = true;
        }
    }
    if (unmatched) {
        return 1;
    }
    StoredReduction reduction = StoredReductionOf(*note);
    if (clear) {
        reduction.exclusions.clear();
    }
    reduction.exclusions = merged(std::move(reduction.exclusions), given, *peaks);
    const std::string savedPath = *note->path;
    return SavePeakFile(sheet.ui, sheet.files, sheet.grid, sheet.settings, savedPath, reduction)
               ? 0
               : 1;
}

} // namespace tarnova::cli
