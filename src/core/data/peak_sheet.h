// The document of the process: measured peaks and the sample header that travels with them.
#pragma once

#include "data/peak_label.h"
#include "platform/flag_set.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

// Texts of the document are byte strings in code page 932, as the files hold them.
inline constexpr std::size_t kMaxLabelLength = 29;
inline constexpr std::size_t kMaxTagLength = 29;
inline constexpr std::size_t kMaxCommentLength = 255;
inline constexpr std::size_t kMaxDateLength = 79;

// The bits of a peak's flags word, as the files hold it. A data point of a record carries the
// same bits (PointFlag) and one of its own.
enum class PeakFlag : std::uint32_t {
    Disabled = 0x1,
    // Why a disabled peak is out, set beside Disabled; neither bit: the user excluded it.
    ExcludedByFilter = 0x2,     // the outlier filter
    ExcludedByCorrection = 0x4, // an interference correction
    // An enabled peak the user enabled again after it was excluded: the outlier filter keeps it in.
    KeptByUser = 0x8,
    OffGraph = 0x10000, // data points only: kept by the graph drawing
};
template <> struct IsFlagEnum<PeakFlag> : std::true_type {};
using PeakFlags = FlagSet<PeakFlag>;

inline constexpr PeakFlags kPeakExclusionBits =
    PeakFlag::Disabled | PeakFlag::ExcludedByFilter | PeakFlag::ExcludedByCorrection;

// One measured peak. The peak value is always height x range; it is never stored.
struct PeakRecord {
    double time = 0.0;
    double height = 0.0;
    double range = 0.0;
    PeakFlags flags;
    PeakLabel elem; // at most kMaxLabelLength bytes

    double peakValue() const { return height * range; }
    bool isDisabled() const { return flags.test(PeakFlag::Disabled); }
};
static_assert(sizeof(PeakRecord) == 32);

struct TaggedComment {
    std::string tag;  // at most kMaxTagLength bytes, e.g. "Sample:"
    std::string text; // at most kMaxCommentLength bytes

    bool operator==(const TaggedComment&) const = default;
};

enum class DataNoteForm : std::int32_t { Dat = 0, Pks = 1 };

// The sample header. It holds either the DAT fields or the tagged comments of the PKS form.
struct DataNote {
    std::optional<std::string> path; // full path of the file loaded from or last saved to
    // The native format of the file at path, which Save writes again; none when path names a
    // file this program does not write (an instrument's Micromass file).
    std::optional<DataNoteForm> fileForm;
    DataNoteForm form = DataNoteForm::Dat;

    // DAT form
    std::string date;    // at most kMaxDateLength bytes
    std::string comment; // at most kMaxCommentLength bytes
    std::string name;    // at most kMaxCommentLength bytes
    std::int32_t spikeId = 0;
    double weight = 0.0;
    double spikeVolume = 0.0;
    double spikeError = 0.0;

    // PKS form, in file order
    std::vector<TaggedComment> tags;

    // The file-name part of path: the text after the last "/"; the whole path when it has none.
    std::string fileName() const;
};

// The data note of the sheet, or none. The program's one document lives on one thread; each
// thread has a note of its own, so that measurements loaded side by side on several threads
// (the batch reduction of tarnova-cli) do not see each other's.
std::optional<DataNote>& currentDataNote();
void ReleaseDataNote();
void InstallDataNote(DataNote note);

} // namespace tarnova
