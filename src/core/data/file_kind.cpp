#include "data/file_kind.h"

#include "data/pks_format.h"
#include "data/quoted_fields.h"
#include "platform/run_log.h"
#include "platform/text_file.h"

#include <array>

namespace tarnova {
namespace {

constexpr std::size_t kMarkSpan = 256;

// The date of a Micromass DAT header names its month in capitals.
constexpr std::array<std::string_view, 12> kMonths{"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                                   "MAY",       "JUNE",     "JULY",     "AUGUST",
                                                   "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool hasMicromassDatMark(std::string_view text) {
    const std::string_view head = text.substr(0, kMarkSpan);
    if (!head.starts_with('&')) {
        return false;
    }
    const std::string_view date = head.substr(1, head.find('\0', 1) - 1);
    for (std::string_view month : kMonths) {
        if (date.find(month) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

// The shape of a native header line: "text" , "text" (texts may be empty).
bool isQuotedPair(std::string_view line) {
    std::string first;
    std::string second;
    return line.starts_with('"') && scanQuotedPair(line, first, second) == 2;
}

bool isPksPeakLine(std::string_view line) {
    long hundredths = 0;
    double value = 0.0;
    std::string label;
    return scanPksPeakLine(line, hundredths, value, label) == 3;
}

FileKind logged(std::string_view line, FileKind kind) {
    LogLine(line);
    return kind;
}

} // namespace

std::string_view fileKindName(FileKind kind) {
    switch (kind) {
    case FileKind::Dat:
        return "DAT";
    case FileKind::Pks:
    case FileKind::PksThirdChoice:
        return "PKS";
    case FileKind::Ird:
        return "IRD";
    case FileKind::MicromassDat:
        return "Micromass DAT";
    case FileKind::MicromassAsc:
        return "Micromass ASC";
    case FileKind::None:
        break;
    }
    return {};
}

std::optional<FileKind> kindFromContent(std::string_view content) {
    LineReader lines(content, LineReader::Mode::Text);
    const std::string_view text = content.substr(0, content.find('\x1A'));
    if (hasMicromassDatMark(text)) {
        return logged("Micromass DAT", FileKind::MicromassDat);
    }
    const auto first = lines.next();
    if (!first) {
        return std::nullopt;
    }
    if (first->starts_with("SOURCE\t")) {
        return logged("Tarnova IRD", FileKind::Ird);
    }
    LogLine(*first);
    if (first->starts_with("\"Noble Gas Suite -")) {
        return logged("Micromass ASC", FileKind::MicromassAsc);
    }
    if (!isQuotedPair(*first)) {
        return std::nullopt;
    }
    const auto second = lines.next();
    if (!second) {
        return std::nullopt;
    }
    if (second->starts_with('"')) {
        const FileKind candidate =
            second->find("\",\"") != std::string_view::npos ? FileKind::Pks : FileKind::Dat;
        const auto third = lines.next();
        if (!third) {
            return std::nullopt;
        }
        if (!third->empty() && isDigit(third->front())) {
            return logged("DAT file or PKSx file", candidate);
        }
        return logged("PKS", FileKind::Pks);
    }
    if (!second->empty() && (isDigit(second->front()) || second->front() == ' ') &&
        isPksPeakLine(*second)) {
        return logged("PKS", FileKind::Pks);
    }
    return std::nullopt;
}

} // namespace tarnova
