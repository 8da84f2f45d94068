#include "data/pks_format.h"

#include "data/peak_value_split.h"
#include "data/quoted_fields.h"
#include "platform/codepage.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"

#include <climits>
#include <cmath>
#include <limits>

namespace tarnova {
namespace {

// A read takes at most this many characters of a line; the rest is the next line.
constexpr std::size_t kLineLength = 4095;

bool isEmptyLine(std::string_view line) {
    return line.empty() || line.front() == '\n';
}

std::optional<PeakRecord> peakFromLine(std::string_view line) {
    long hundredths = 0;
    double value = 0.0;
    std::string label;
    if (scanPksPeakLine(line, hundredths, value, label) != 3) {
        return std::nullopt;
    }
    PeakRecord peak;
    peak.elem = cutCp932(label, kMaxLabelLength);
    peak.time = static_cast<double>(hundredths) / 100.0;
    const HeightAndRange split = splitPksValue(value);
    peak.height = split.height;
    peak.range = split.range;
    return peak;
}

void appendHeader(TextFileWriter& writer, std::string_view tag, std::string_view text) {
    std::string line(1, '"');
    line += quotableText(tag);
    line += "\",\"";
    line += quotableText(text);
    line += '"';
    writer.line(line);
}

} // namespace

int scanPksPeakLine(std::string_view line, long& hundredths, double& value, std::string& label) {
    TextScanner scanner(line);
    if (!scanner.readInt(hundredths)) {
        return 0;
    }
    if (!scanner.literal(" , ") || !scanner.readDouble(value)) {
        return 1;
    }
    if (!scanner.literal(" , \"") || !scanner.readBracket(label, "^\"")) {
        return 2;
    }
    return 3;
}

std::optional<PeakFileContent> parsePksFile(std::string_view content) {
    LineReader lines(content, LineReader::Mode::Text, kLineLength);
    PeakFileContent file;
    file.note.form = DataNoteForm::Pks;
    std::optional<std::string_view> line;
    while ((line = lines.next()) && line->starts_with('"')) {
        TaggedComment entry;
        if (scanQuotedPair(*line, entry.tag, entry.text) != 2) {
            return std::nullopt;
        }
        entry.tag = cutCp932(entry.tag, kMaxTagLength);
        entry.text = cutCp932(entry.text, kMaxCommentLength);
        file.note.tags.push_back(std::move(entry));
    }
    if (!line || file.note.tags.empty()) {
        return std::nullopt;
    }
    // One row per line at most: the table is made once, without the copies and the spare room
    // of growing it.
    file.peaks.reserve(lines.remainingLineBound() + 1);
    do {
        if (isEmptyLine(*line)) {
            file.peaks.emplace_back();
            continue;
        }
        auto peak = peakFromLine(*line);
        if (!peak) {
            return std::nullopt;
        }
        file.peaks.push_back(std::move(*peak));
    } while ((line = lines.next()));
    return file;
}

std::optional<std::vector<PeakRecord>> ReadPksFile(const std::string& path) {
    const auto content = readWholeFile(path);
    if (!content) {
        return std::nullopt;
    }
    return installPeakFile(parsePksFile(*content));
}

long pksHundredths(double time) {
    if (std::isnan(time)) {
        return 0;
    }
    const double scaled = time * 100.0;
    const double nearest = std::nearbyint(scaled);
    // time x 100 lands within a unit of the last place of a whole number when the time was a
    // whole number of hundredths; anything farther off is a genuine fraction.
    const double tolerance =
        4 * std::numeric_limits<double>::epsilon() * std::fmax(1.0, std::fabs(scaled));
    const double whole = std::fabs(scaled - nearest) <= tolerance ? nearest : std::trunc(scaled);
    if (whole >= static_cast<double>(LONG_MAX)) {
        return LONG_MAX;
    }
    if (whole <= static_cast<double>(LONG_MIN)) {
        return LONG_MIN;
    }
    return static_cast<long>(whole);
}

std::string pksFileText(const std::vector<PeakRecord>& peaks, const DataNote* note) {
    TextFileWriter writer;
    if (note != nullptr && note->form == DataNoteForm::Pks && !note->tags.empty()) {
        for (const TaggedComment& entry : note->tags) {
            appendHeader(writer, entry.tag, entry.text);
        }
    } else if (note != nullptr && note->form == DataNoteForm::Dat) {
        appendHeader(writer, "Comments:", note->comment);
        appendHeader(writer, "Date:", note->date);
        appendHeader(writer, "Sample:", note->name);
        // Comments of a DAT note are the entries of its stored reduction (stored_reduction.h).
        for (const TaggedComment& entry : note->tags) {
            appendHeader(writer, entry.tag, entry.text);
        }
    } else {
        // Also for a PKS note without entries: a file without header lines would not read back.
        appendHeader(writer, "Comments:", "No Comment");
        appendHeader(writer, "Date:", "1970/1/1");
    }
    for (const PeakRecord& peak : peaks) {
        if (peak.elem.empty()) {
            continue;
        }
        writer.line(formatText("%5ld,   ", pksHundredths(peak.time)) +
                    formatExponent(peak.peakValue(), 15, 8) + ", \"" +
                    quotableText(peak.elem.str()) + "\"");
    }
    return writer.content();
}

bool WritePksFile(const std::string& path, const std::vector<PeakRecord>& peaks,
                  bool addEndOfFile) {
    const auto& note = currentDataNote();
    return WritePksFile(path, peaks, note ? &*note : nullptr, addEndOfFile);
}

bool WritePksFile(const std::string& path, const std::vector<PeakRecord>& peaks,
                  const DataNote* note, bool addEndOfFile) {
    return writeTextFile(path, pksFileText(peaks, note), addEndOfFile);
}

} // namespace tarnova
