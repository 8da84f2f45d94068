// What a measurement keeps of its reduction beside the peaks: the peaks excluded from the
// calculation (with the reason), the regression method of each record and the outlier filter.
// A PKS file holds them as tagged comments after the user's own, under tags of their own
// (#tarnova:excluded, #tarnova:method, #tarnova:filter, #tarnova:kept), so that a reader that knows
// nothing of them reads the file as before and shows them as comments.
#pragma once

#include "data/peak_sheet.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

inline constexpr std::string_view kExcludedTag = "#tarnova:excluded";
inline constexpr std::string_view kMethodTag = "#tarnova:method";
inline constexpr std::string_view kFilterTag = "#tarnova:filter";
inline constexpr std::string_view kKeptTag = "#tarnova:kept";

enum class ExclusionReason { Hand, Filter, Correction };

// One excluded peak, named by its label and by its time as the PKS file writes it.
struct StoredExclusion {
    std::string label; // code page 932 bytes
    long hundredths = 0;
    ExclusionReason reason = ExclusionReason::Hand;

    bool operator==(const StoredExclusion&) const = default;
};

// The regression method of a record name ("Ar40/Ar36") or a label, as its INI keyword.
struct StoredMethod {
    std::string name;
    std::string method;

    bool operator==(const StoredMethod&) const = default;
};

struct StoredReduction {
    std::vector<StoredExclusion> exclusions;
    std::vector<StoredMethod> methods;
    std::optional<std::string> filter; // the outlier filter's keyword ("sigma:2:1")
    // Peaks the user kept in against the outlier filter ("LABEL@TIME"; the reason is unused).
    std::vector<StoredExclusion> kept;
    // Entries under the tags above whose text does not read; kept as they are.
    std::vector<TaggedComment> unreadable;

    bool empty() const {
        return exclusions.empty() && methods.empty() && !filter && kept.empty() &&
               unreadable.empty();
    }
    bool operator==(const StoredReduction&) const = default;
};

// Whether tag is one of the tags above.
bool IsStoredReductionTag(std::string_view tag);

// The entries of note's comments (of either form), in order; the last filter entry wins.
StoredReduction StoredReductionOf(const DataNote& note);
// The comments that hold reduction: exclusions, methods, the filter, the kept peaks, then the
// unreadable ones.
std::vector<TaggedComment> StoredReductionComments(const StoredReduction& reduction);
// Puts reduction into note: the note's own comments keep their order, the entries follow them.
void ReplaceStoredReduction(DataNote& note, const StoredReduction& reduction);
// The note a PKS file is written with: note (or, without one, the default header) with the
// entries of reduction in place of its own.
DataNote NoteWithReduction(const DataNote* note, const StoredReduction& reduction);

// A time of hundredths as seconds, without trailing zeros: 1150 gives "11.5", 1100 "11".
std::string PeakTimeText(long hundredths);
// Seconds with at most two decimals ("11.5", "-0.25", "12") as hundredths; none otherwise.
std::optional<long> ParsePeakTime(std::string_view text);

std::string_view ExclusionReasonName(ExclusionReason reason); // "hand", "filter", "correction"
// The peak flags of an excluded peak (PeakFlag::Disabled with the reason's bit).
PeakFlags PeakFlagsOf(ExclusionReason reason);
// The reason that disabled flags (of a peak or a data point) carry.
ExclusionReason ExclusionReasonOf(PeakFlags flags);

// "LABEL@TIME": the peak an entry names.
std::string PeakNameText(const StoredExclusion& peak);
// "LABEL@TIME REASON", as the entry's text and tarnova-cli info show it.
std::string ExclusionText(const StoredExclusion& exclusion);
// Reads "LABEL@TIME REASON", or "LABEL@TIME" (by hand) unless the reason is required. The label
// is everything before the last "@" (blanks included), non-empty and at most kMaxLabelLength
// bytes.
std::optional<StoredExclusion> ParseExclusion(std::string_view text, bool reasonRequired);

} // namespace tarnova
