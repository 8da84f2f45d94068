// The document of the process: measured peaks and the sample header that travels with them.
#pragma once

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

inline constexpr std::uint32_t kPeakDisabled = 0x1;
// Why a disabled peak is out, set beside kPeakDisabled; neither bit: the user excluded it.
inline constexpr std::uint32_t kPeakExcludedByFilter = 0x2;     // the outlier filter
inline constexpr std::uint32_t kPeakExcludedByCorrection = 0x4; // an interference correction
inline constexpr std::uint32_t kPeakExclusionBits =
    kPeakDisabled | kPeakExcludedByFilter | kPeakExcludedByCorrection;
// An enabled peak the user enabled again after it was excluded: the outlier filter keeps it in.
inline constexpr std::uint32_t kPeakKeptByUser = 0x8;

// One measured peak. The peak value is always height x range; it is never stored.
struct PeakRecord {
    double time = 0.0;
    double height = 0.0;
    double range = 0.0;
    std::uint32_t flags = 0;
    std::string elem; // at most kMaxLabelLength bytes

    double peakValue() const { return height * range; }
    bool isDisabled() const { return (flags & kPeakDisabled) != 0; }
};

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
