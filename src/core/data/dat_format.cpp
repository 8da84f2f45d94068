#include "data/dat_format.h"

#include "data/quoted_fields.h"
#include "platform/codepage.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"

#include <algorithm>
#include <cmath>

namespace tarnova {
namespace {

constexpr std::size_t kMaxDistinctLabels = 50;
// A read takes at most this many characters of a line; the rest is the next line.
constexpr std::size_t kLineLength = 1023;

bool scanHeader(LineReader& lines, DataNote& note) {
    const auto first = lines.next();
    std::string name;
    std::string date;
    if (!first || scanQuotedPair(*first, name, date) != 2) {
        return false;
    }
    const auto second = lines.next();
    std::string comment;
    if (!second || !scanQuotedText(*second, comment)) {
        return false;
    }
    const auto third = lines.next();
    if (!third) {
        return false;
    }
    TextScanner weight(*third);
    if (!weight.readDouble(note.weight)) {
        return false;
    }
    const auto fourth = lines.next();
    if (!fourth) {
        return false;
    }
    TextScanner spike(*fourth);
    if (!spike.readInt(note.spikeId) || !spike.literal(" , ") ||
        !spike.readDouble(note.spikeVolume) || !spike.literal(" , ") ||
        !spike.readDouble(note.spikeError)) {
        return false;
    }
    note.form = DataNoteForm::Dat;
    note.name = cutCp932(name, kMaxCommentLength);
    note.date = cutCp932(date, kMaxDateLength);
    note.comment = cutCp932(comment, kMaxCommentLength);
    return true;
}

// Line 5: " %*d , %d"; the first number is not used.
std::optional<int> scanPeakCount(LineReader& lines) {
    const auto line = lines.next();
    if (!line) {
        return std::nullopt;
    }
    TextScanner scanner(*line);
    int labelCount = 0;
    int peakCount = 0;
    if (!scanner.readInt(labelCount) || !scanner.literal(" , ") || !scanner.readInt(peakCount)) {
        return std::nullopt;
    }
    return peakCount;
}

std::optional<PeakRecord> scanPeakLine(std::string_view line) {
    TextScanner scanner(line);
    int label = 0;
    PeakRecord peak;
    if (!scanner.readInt(label) || !scanner.literal(" , ") || !scanner.readDouble(peak.time) ||
        !scanner.literal(" , ") || !scanner.readDouble(peak.height) || !scanner.literal(" , ") ||
        !scanner.readDouble(peak.range)) {
        return std::nullopt;
    }
    peak.elem = formatText("%d", label);
    return peak;
}

// The number of a label as a decimal integer conversion reads it: white space, a sign,
// digits up to the first other character; 0 without digits.
int labelNumber(std::string_view label) {
    TextScanner scanner(label);
    int number = 0;
    return scanner.readInt(number) ? number : 0;
}

// "%f" of a height or range, except that a nonzero value that would show as zero keeps its
// digits in "%E" form.
std::string datMagnitude(double value) {
    std::string text = formatFixed(value, 0, 6);
    if (value != 0.0 && text.find_first_not_of("-0.") == std::string::npos) {
        text = formatExponent(value, 0, 6);
    }
    return text;
}

std::string quotedLine(std::string_view text) {
    // Appended piece by piece: GCC 12 at -O3 misreports '"literal" + std::string' (-Wrestrict).
    std::string line(1, '"');
    line += quotableText(text);
    line += '"';
    return line;
}

const std::string* taggedText(const DataNote& note, std::string_view tag) {
    const auto found = std::find_if(note.tags.begin(), note.tags.end(),
                                    [&](const TaggedComment& entry) { return entry.tag == tag; });
    return found == note.tags.end() ? nullptr : &found->text;
}

} // namespace

std::optional<PeakFileContent> parseDatFile(std::string_view content) {
    LineReader lines(content, LineReader::Mode::Text, kLineLength);
    PeakFileContent file;
    if (!scanHeader(lines, file.note)) {
        return std::nullopt;
    }
    const std::optional<int> peakCount = scanPeakCount(lines);
    if (!peakCount || *peakCount < 0) {
        return std::nullopt;
    }
    for (int unused = 0; unused < 4; ++unused) {
        if (!lines.next()) {
            return std::nullopt;
        }
    }
    const auto count = static_cast<std::size_t>(*peakCount);
    // The announced count is only trusted as far as the file has lines for it.
    if (count > lines.remainingLineBound()) {
        return std::nullopt;
    }
    file.peaks.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto line = lines.next();
        if (!line) {
            return std::nullopt;
        }
        auto peak = scanPeakLine(*line);
        if (!peak) {
            return std::nullopt;
        }
        file.peaks.push_back(std::move(*peak));
    }
    return file;
}

std::optional<std::vector<PeakRecord>> ReadDatFile(const std::string& path) {
    const auto content = readWholeFile(path);
    if (!content) {
        return std::nullopt;
    }
    return installPeakFile(parseDatFile(*content));
}

std::vector<DatRefusal> datRefusals(const std::vector<PeakRecord>& peaks) {
    std::vector<DatRefusal> refusals;
    refusals.reserve(peaks.size());
    std::vector<int> distinct;
    for (const PeakRecord& peak : peaks) {
        const int number = labelNumber(peak.elem.str());
        if (number == 0) {
            refusals.push_back(DatRefusal::NoMassNumber);
            continue;
        }
        if (std::find(distinct.begin(), distinct.end(), number) == distinct.end()) {
            if (distinct.size() == kMaxDistinctLabels) {
                refusals.push_back(DatRefusal::TooManyLabels);
                continue;
            }
            distinct.push_back(number);
        }
        refusals.push_back(DatRefusal::None);
    }
    return refusals;
}

std::optional<std::string> datFileText(const std::vector<PeakRecord>& peaks, const DataNote* note) {
    const std::vector<DatRefusal> refusals = datRefusals(peaks);
    std::vector<std::pair<int, const PeakRecord*>> kept;
    std::vector<int> distinct;
    for (std::size_t i = 0; i < peaks.size(); ++i) {
        if (refusals[i] != DatRefusal::None) {
            continue;
        }
        const int number = labelNumber(peaks[i].elem.str());
        if (std::find(distinct.begin(), distinct.end(), number) == distinct.end()) {
            distinct.push_back(number);
        }
        kept.emplace_back(number, &peaks[i]);
    }
    if (kept.empty()) {
        return std::nullopt;
    }

    std::string name = "unknown";
    std::string date = "1970/01/01";
    std::string comment = "No comment";
    double weight = 0.0;
    int spikeId = 0;
    double spikeVolume = 0.0;
    double spikeError = 0.0;
    if (note != nullptr && note->form == DataNoteForm::Dat) {
        name = note->name;
        date = note->date;
        comment = note->comment;
        weight = note->weight;
        spikeId = note->spikeId;
        spikeVolume = note->spikeVolume;
        spikeError = note->spikeError;
    } else if (note != nullptr) {
        const std::string* sample = taggedText(*note, "Sample:");
        const std::string* day = taggedText(*note, "Date:");
        const std::string* comments = taggedText(*note, "Comments:");
        name = sample != nullptr ? *sample : std::string();
        date = day != nullptr ? *day : std::string();
        comment = comments != nullptr ? *comments : std::string();
    }

    TextFileWriter writer;
    writer.line(quotedLine(name) + "," + quotedLine(date));
    writer.line(quotedLine(comment));
    writer.line(formatFixed(weight, 0, 6));
    writer.line(formatText("%d,", spikeId) + formatFixed(spikeVolume, 0, 6) + "," +
                formatFixed(spikeError, 0, 6));
    writer.line(formatText("%zu,%zu", distinct.size(), kept.size()));
    for (int unused = 0; unused < 4; ++unused) {
        writer.line("0");
    }
    for (const auto& [number, peak] : kept) {
        writer.line(formatText("%d,", number) + formatFixed(peak->time, 0, 6) + "," +
                    datMagnitude(peak->height) + "," + datMagnitude(peak->range));
    }
    return writer.content();
}

bool WriteDatFile(const std::string& path, const std::vector<PeakRecord>& peaks,
                  bool addEndOfFile) {
    const auto& note = currentDataNote();
    const auto text = datFileText(peaks, note ? &*note : nullptr);
    if (!text) {
        return false;
    }
    return writeTextFile(path, *text, addEndOfFile);
}

} // namespace tarnova
