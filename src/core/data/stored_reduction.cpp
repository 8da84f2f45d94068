#include "data/stored_reduction.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>

namespace tarnova {
namespace {

constexpr std::array<std::pair<ExclusionReason, std::string_view>, 3> kReasonNames{{
    {ExclusionReason::Hand, "hand"},
    {ExclusionReason::Filter, "filter"},
    {ExclusionReason::Correction, "correction"},
}};

std::optional<ExclusionReason> reasonNamed(std::string_view name) {
    for (const auto& [reason, text] : kReasonNames) {
        if (text == name) {
            return reason;
        }
    }
    return std::nullopt;
}

// "NAME METHOD": the method is the last word, so that a label may hold blanks.
std::optional<StoredMethod> parseMethod(std::string_view text) {
    const std::size_t blank = text.rfind(' ');
    if (blank == std::string_view::npos || blank == 0 || blank + 1 == text.size()) {
        return std::nullopt;
    }
    return StoredMethod{std::string(text.substr(0, blank)), std::string(text.substr(blank + 1))};
}

std::optional<StoredExclusion> parseLabelAndTime(std::string_view text) {
    const std::size_t at = text.rfind('@');
    if (at == std::string_view::npos || at == 0 || at > kMaxLabelLength) {
        return std::nullopt;
    }
    const std::optional<long> hundredths = ParsePeakTime(text.substr(at + 1));
    if (!hundredths) {
        return std::nullopt;
    }
    StoredExclusion exclusion;
    exclusion.label = std::string(text.substr(0, at));
    exclusion.hundredths = *hundredths;
    return exclusion;
}

} // namespace

bool IsStoredReductionTag(std::string_view tag) {
    return tag == kExcludedTag || tag == kMethodTag || tag == kFilterTag || tag == kKeptTag;
}

StoredReduction StoredReductionOf(const DataNote& note) {
    StoredReduction reduction;
    for (const TaggedComment& comment : note.tags) {
        bool read = true;
        if (comment.tag == kExcludedTag) {
            const std::optional<StoredExclusion> exclusion = ParseExclusion(comment.text, true);
            read = exclusion.has_value();
            if (read) {
                reduction.exclusions.push_back(*exclusion);
            }
        } else if (comment.tag == kMethodTag) {
            const std::optional<StoredMethod> method = parseMethod(comment.text);
            read = method.has_value();
            if (read) {
                reduction.methods.push_back(*method);
            }
        } else if (comment.tag == kKeptTag) {
            const std::optional<StoredExclusion> kept = parseLabelAndTime(comment.text);
            read = kept.has_value();
            if (read) {
                reduction.kept.push_back(*kept);
            }
        } else if (comment.tag == kFilterTag) {
            read = !comment.text.empty() && comment.text.find_first_of(" \t") == std::string::npos;
            if (read) {
                reduction.filter = comment.text;
            }
        } else {
            continue;
        }
        if (!read) {
            reduction.unreadable.push_back(comment);
        }
    }
    return reduction;
}

std::vector<TaggedComment> StoredReductionComments(const StoredReduction& reduction) {
    std::vector<TaggedComment> comments;
    for (const StoredExclusion& exclusion : reduction.exclusions) {
        comments.push_back({std::string(kExcludedTag), ExclusionText(exclusion)});
    }
    for (const StoredMethod& method : reduction.methods) {
        comments.push_back({std::string(kMethodTag), method.name + " " + method.method});
    }
    if (reduction.filter) {
        comments.push_back({std::string(kFilterTag), *reduction.filter});
    }
    for (const StoredExclusion& kept : reduction.kept) {
        comments.push_back({std::string(kKeptTag), PeakNameText(kept)});
    }
    comments.insert(comments.end(), reduction.unreadable.begin(), reduction.unreadable.end());
    return comments;
}

void ReplaceStoredReduction(DataNote& note, const StoredReduction& reduction) {
    std::erase_if(note.tags,
                  [](const TaggedComment& comment) { return IsStoredReductionTag(comment.tag); });
    const std::vector<TaggedComment> entries = StoredReductionComments(reduction);
    note.tags.insert(note.tags.end(), entries.begin(), entries.end());
}

DataNote NoteWithReduction(const DataNote* note, const StoredReduction& reduction) {
    DataNote written;
    if (note != nullptr) {
        written = *note;
    } else if (!reduction.empty()) {
        // The header a PKS file without a note gets, kept before the entries.
        written.form = DataNoteForm::Pks;
        written.tags = {{"Comments:", "No Comment"}, {"Date:", "1970/1/1"}};
    }
    ReplaceStoredReduction(written, reduction);
    return written;
}

std::string PeakTimeText(long hundredths) {
    const bool negative = hundredths < 0;
    // Counted in unsigned, so that the most negative time has a magnitude too.
    const unsigned long magnitude = negative ? 0UL - static_cast<unsigned long>(hundredths)
                                             : static_cast<unsigned long>(hundredths);
    std::string text = negative ? "-" : "";
    text += std::to_string(magnitude / 100);
    const unsigned long fraction = magnitude % 100;
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            text += static_cast<char>('0' + fraction % 10);
        }
    }
    return text;
}

std::optional<long> ParsePeakTime(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative) {
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digitsOnly = [](std::string_view digits) {
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || !digitsOnly(whole) || !digitsOnly(fraction) || fraction.size() > 2 ||
        (point != std::string_view::npos && fraction.empty())) {
        return std::nullopt;
    }
    long seconds = 0;
    const auto [end, error] = std::from_chars(whole.data(), whole.data() + whole.size(), seconds);
    if (error != std::errc() || end != whole.data() + whole.size() ||
        seconds > LONG_MAX / 100 - 1) {
        return std::nullopt;
    }
    long hundredths = seconds * 100;
    if (!fraction.empty()) {
        hundredths += (fraction[0] - '0') * 10 + (fraction.size() == 2 ? fraction[1] - '0' : 0);
    }
    return negative ? -hundredths : hundredths;
}

std::string_view ExclusionReasonName(ExclusionReason reason) {
    for (const auto& [known, name] : kReasonNames) {
        if (known == reason) {
            return name;
        }
    }
    return "hand";
}

PeakFlags PeakFlagsOf(ExclusionReason reason) {
    switch (reason) {
    case ExclusionReason::Filter:
        return PeakFlag::Disabled | PeakFlag::ExcludedByFilter;
    case ExclusionReason::Correction:
        return PeakFlag::Disabled | PeakFlag::ExcludedByCorrection;
    case ExclusionReason::Hand:
        break;
    }
    return PeakFlag::Disabled;
}

ExclusionReason ExclusionReasonOf(PeakFlags flags) {
    if (flags.test(PeakFlag::ExcludedByFilter)) {
        return ExclusionReason::Filter;
    }
    if (flags.test(PeakFlag::ExcludedByCorrection)) {
        return ExclusionReason::Correction;
    }
    return ExclusionReason::Hand;
}

std::string PeakNameText(const StoredExclusion& peak) {
    return peak.label + "@" + PeakTimeText(peak.hundredths);
}

std::string ExclusionText(const StoredExclusion& exclusion) {
    return PeakNameText(exclusion) + " " + std::string(ExclusionReasonName(exclusion.reason));
}

std::optional<StoredExclusion> ParseExclusion(std::string_view text, bool reasonRequired) {
    const std::size_t blank = text.rfind(' ');
    if (blank != std::string_view::npos) {
        if (const std::optional<ExclusionReason> reason = reasonNamed(text.substr(blank + 1))) {
            std::optional<StoredExclusion> exclusion = parseLabelAndTime(text.substr(0, blank));
            if (exclusion) {
                exclusion->reason = *reason;
                return exclusion;
            }
        }
    }
    if (reasonRequired) {
        return std::nullopt;
    }
    return parseLabelAndTime(text);
}

} // namespace tarnova
