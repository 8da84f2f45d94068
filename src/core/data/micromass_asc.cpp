#include "data/micromass_asc.h"

#include "data/peak_value_split.h"
#include "platform/codepage.h"
#include "platform/run_log.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/text_scanner.h"

#include <algorithm>

namespace tarnova {
namespace {

constexpr std::string_view kCaption = "Tarnova";
constexpr std::string_view kHeliumMark = "\"Noble Gas Suite - Helium Sample\"";
constexpr std::string_view kCorrected = "Corrected  ";
constexpr std::string_view kQuotedText = "^\"";
constexpr std::string_view kQuotedLineText = "^\"\r\n";
// A read takes at most this many bytes of a line; the rest is the next line.
constexpr std::size_t kLineLength = 4095;

TaggedComment makeComment(std::string_view tag, std::string_view text) {
    return {std::string(cutCp932(tag, kMaxTagLength)),
            std::string(cutCp932(text, kMaxCommentLength))};
}

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    return line;
}

// "\"%[set]\"": one quoted text of at least one character.
bool readQuoted(TextScanner& scanner, std::string& text, std::string_view set) {
    return scanner.literal('"') && scanner.readBracket(text, set);
}

// "\"%[set]\" \"%[set]\"": a tag and a text.
bool scanTagAndText(std::string_view line, std::string_view set, TaggedComment& comment) {
    TextScanner scanner(line);
    std::string tag;
    std::string text;
    if (!readQuoted(scanner, tag, set) || !scanner.literal("\" ") ||
        !readQuoted(scanner, text, set)) {
        return false;
    }
    comment = makeComment(tag, text);
    return true;
}

void fillPeak(PeakRecord& peak, std::string_view label, HeightAndRange split, double time) {
    peak.elem = cutCp932(label, kMaxLabelLength);
    peak.height = split.height;
    peak.range = split.range;
    peak.time = time;
}

// One data line of the usual analysis: "\" %*d\" %lf \"%[^\"]\" \"%[^\"]\" %lf %lf".
bool scanUsualData(std::string_view line, std::string& label, std::string& kind, double& value,
                   double& time) {
    TextScanner scanner(line);
    int cycle = 0;
    double unused = 0.0;
    return scanner.literal("\" ") && scanner.readInt(cycle) && scanner.literal("\" ") &&
           scanner.readDouble(unused) && scanner.literal(" ") &&
           readQuoted(scanner, label, kQuotedText) && scanner.literal("\" ") &&
           readQuoted(scanner, kind, kQuotedText) && scanner.literal("\" ") &&
           scanner.readDouble(value) && scanner.readDouble(time);
}

std::string_view trimTrailingWhiteSpace(std::string_view text) {
    while (!text.empty() && isScanWhiteSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<PeakFileContent> readUsualAnalysis(LineReader& lines, std::string_view first) {
    LogLine("Usual analysis");
    PeakFileContent file;
    file.note.form = DataNoteForm::Pks;
    std::optional<std::string_view> line = first;
    for (int index = 0; index < 4; ++index) {
        if (index > 0) {
            line = lines.next();
        }
        TaggedComment comment;
        if (!line || !scanTagAndText(*line, kQuotedText, comment)) {
            return std::nullopt;
        }
        file.note.tags.push_back(std::move(comment));
    }
    line = lines.next();
    if (!line || !line->starts_with("\"Cycle\" ")) {
        return std::nullopt;
    }
    line = lines.next();
    if (!line || !line->starts_with("\"\"")) {
        return std::nullopt;
    }
    while ((line = lines.next()) && line->starts_with('"')) {
        if (line->starts_with("\"\"")) {
            continue;
        }
        std::string label;
        std::string kind;
        double value = 0.0;
        double time = 0.0;
        if (!scanUsualData(*line, label, kind, value, time)) {
            return std::nullopt;
        }
        if (kind != kCorrected) {
            continue;
        }
        // A value without a decimal logarithm counts as nothing measured.
        const HeightAndRange split =
            value > 0.0 ? splitMicromassValue(value) : HeightAndRange{0.0, 1.0};
        fillPeak(file.peaks.emplace_back(), trimTrailingWhiteSpace(label), split, time);
    }
    return file;
}

// "\"%[^\"\r\n]\" %d": a tag and a whole number, kept as the number's text.
bool scanTagAndCount(std::string_view line, TaggedComment& comment, int& count) {
    TextScanner scanner(line);
    std::string tag;
    if (!readQuoted(scanner, tag, kQuotedLineText) || !scanner.literal("\" ") ||
        !scanner.readInt(count)) {
        return false;
    }
    comment = makeComment(tag, formatText("%d", count));
    LogLine(comment.text);
    return true;
}

// "\"%[^\"\r\n]\" \"\" %lf \"%[^\"\r\n]\"": a tag, a number and a text.
bool scanTagNumberText(std::string_view line, TaggedComment& comment) {
    TextScanner scanner(line);
    std::string tag;
    double number = 0.0;
    std::string text;
    if (!readQuoted(scanner, tag, kQuotedLineText) || !scanner.literal("\" \"\" ") ||
        !scanner.readDouble(number) || !scanner.literal(" ") ||
        !readQuoted(scanner, text, kQuotedLineText)) {
        return false;
    }
    comment = makeComment(tag, formatExponent(number, 0, 8) + " " + text);
    LogLine(comment.text);
    return true;
}

// One cycle of the helium analysis: "\"%*d\" %lf %lf %lf %lf %*lf %lf".
bool scanHeliumData(std::string_view line, double (&values)[4], double& time) {
    TextScanner scanner(line);
    int cycle = 0;
    double unused = 0.0;
    return scanner.literal('"') && scanner.readInt(cycle) && scanner.literal("\" ") &&
           scanner.readDouble(values[0]) && scanner.readDouble(values[1]) &&
           scanner.readDouble(values[2]) && scanner.readDouble(values[3]) &&
           scanner.readDouble(unused) && scanner.readDouble(time);
}

std::optional<PeakFileContent> readHeliumAnalysis(std::string_view content, UserInterfacePort& ui) {
    LogLine("Helium analysis");
    LineReader lines(content, LineReader::Mode::Binary, kLineLength);
    PeakFileContent file;
    file.note.form = DataNoteForm::Pks;
    auto& comments = file.note.tags;

    std::optional<std::string_view> line = lines.next();
    {
        TextScanner scanner(line.value_or(std::string_view()));
        std::string text;
        if (!line || !readQuoted(scanner, text, kQuotedLineText)) {
            ui.showMessage(kCaption,
                           "Internal inconsistency: maybe the file pointer is overwritten.");
            return std::nullopt;
        }
        comments.push_back(makeComment("Analysis:", text));
        LogLine(comments.back().text);
    }
    for (int number = 2; number <= 4; ++number) {
        line = lines.next();
        TaggedComment comment;
        if (!line || !scanTagAndText(*line, kQuotedLineText, comment)) {
            if (number == 2) {
                LogLine("Lexical analysis is fall at line 2.");
            }
            return std::nullopt;
        }
        LogLine(comment.text);
        comments.push_back(std::move(comment));
    }

    int runs = 0;
    line = lines.next();
    if (!line || !scanTagAndCount(*line, comments.emplace_back(), runs)) {
        return std::nullopt;
    }
    if (runs != 1) {
        ui.showMessage(kCaption,
                       "ファイル中に１以上の測定が含まれています。未知試料を２スタンダード"
                       "ではさむ場合などでも、各測定は個別にRunを1として行ってください。");
        return std::nullopt;
    }
    int blocks = 0;
    line = lines.next();
    if (!line || !scanTagAndCount(*line, comments.emplace_back(), blocks)) {
        return std::nullopt;
    }
    if (blocks != 1) {
        ui.showMessage(kCaption,
                       "ファイル中に2つ以上のブロックが含まれています。同位体比測定であって"
                       "も、複数のブロックには対応していません。");
        return std::nullopt;
    }
    int cycles = 0;
    line = lines.next();
    if (!line || !scanTagAndCount(*line, comments.emplace_back(), cycles) || cycles < 2) {
        return std::nullopt;
    }
    line = lines.next();
    if (!line || !scanTagNumberText(*line, comments.emplace_back())) {
        return std::nullopt;
    }
    lines.next();
    lines.next();

    // The announced number of cycles is only trusted as far as the file has lines for it.
    const auto cycleLines = static_cast<std::size_t>(cycles) - 1;
    file.peaks.reserve(2 * std::min(cycleLines, lines.remainingLineBound()));
    for (std::size_t cycle = 0; cycle < cycleLines; ++cycle) {
        line = lines.next();
        double values[4] = {};
        double time = 0.0;
        if (line) {
            LogLine(withoutLineEnd(*line));
        }
        if (!line || !scanHeliumData(*line, values, time)) {
            LogLine("Lexical analysis falls in data.");
            return std::nullopt;
        }
        fillPeak(file.peaks.emplace_back(), "3He", splitMicromassValue(values[0] - values[1]),
                 time);
        fillPeak(file.peaks.emplace_back(), "4He", splitMicromassValue(values[2] - values[3]),
                 time);
    }
    return file;
}

} // namespace

std::optional<PeakFileContent> parseMicromassAsc(std::string_view content, UserInterfacePort& ui) {
    LineReader lines(content, LineReader::Mode::Binary, kLineLength);
    const auto first = lines.next();
    if (first && first->starts_with(kHeliumMark)) {
        return readHeliumAnalysis(content, ui);
    }
    if (!first) {
        LogLine("Usual analysis");
        return std::nullopt;
    }
    return readUsualAnalysis(lines, *first);
}

std::optional<std::vector<PeakRecord>> ReadMicromassAsc(const std::string& path,
                                                        UserInterfacePort& ui) {
    LogLine("MM ASC handler");
    const auto content = readWholeFile(path);
    if (!content) {
        LogLine("File can't be opened.");
        return std::nullopt;
    }
    return installPeakFile(parseMicromassAsc(*content, ui));
}

} // namespace tarnova
