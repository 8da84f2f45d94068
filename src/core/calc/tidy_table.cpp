#include "calc/tidy_table.h"

#include "calc/calc_state.h"
#include "calc/ird_export.h"
#include "calc/regression_method.h"
#include "platform/codepage.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tarnova {
namespace {

constexpr std::array<std::string_view, 27> kColumns{"file",
                                                    "format",
                                                    "sample",
                                                    "id",
                                                    "date",
                                                    "record",
                                                    "type",
                                                    "numerator",
                                                    "denominator",
                                                    "method",
                                                    "points",
                                                    "active_points",
                                                    "excluded_points",
                                                    "intercept",
                                                    "intercept_error",
                                                    "confidence_level",
                                                    "estimate",
                                                    "slope",
                                                    "slope_error",
                                                    "mean",
                                                    "stddev",
                                                    "mean_limit",
                                                    "r",
                                                    "test_level",
                                                    "r_test",
                                                    "slope_test",
                                                    "status"};

// A cell: nothing, a text (UTF-8), a number (its text, written bare) or a number without
// digits (NaN, Inf), which JSON cannot hold.
struct Cell {
    enum class Kind { Empty, Text, Number, NonFinite } kind = Kind::Empty;
    std::string text;
};

Cell text(std::string value) {
    return {Cell::Kind::Text, std::move(value)};
}

Cell number(double value) {
    return {std::isfinite(value) ? Cell::Kind::Number : Cell::Kind::NonFinite,
            ShortestNumber(value)};
}

Cell count(long long value) {
    return {Cell::Kind::Number, std::to_string(value)};
}

using Row = std::array<Cell, kColumns.size()>;

// The column's index, checked at compile time.
consteval std::size_t at(std::string_view name) {
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        if (kColumns[i] == name) {
            return i;
        }
    }
    throw "no such column";
}

// Valid UTF-8 as it is; every byte that starts no valid sequence becomes U+FFFD, so that a
// file name in another encoding cannot break the table.
std::string validUtf8(std::string_view bytes) {
    std::string valid;
    valid.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            minimum = 0x10000;
        }
        bool ok = length != 0 && i + length <= bytes.size();
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; ok && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            ok = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        ok = ok && code >= minimum && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (ok) {
            valid.append(bytes.substr(i, length));
            i += length;
        } else {
            valid += "\xEF\xBF\xBD";
            ++i;
        }
    }
    return valid;
}

// The tag of a tagged comment as a key: letters folded to lower case, a trailing colon and
// blanks left out ("Sample:", "SAMPLE" and "sample :" are all "sample").
std::string tagKey(std::string_view tag) {
    while (!tag.empty() && (tag.back() == ':' || tag.back() == ' ')) {
        tag.remove_suffix(1);
    }
    std::string key(tag);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return key;
}

std::string noteText(const DataNote& note, std::string_view key) {
    if (note.form == DataNoteForm::Dat) {
        return key == "sample" ? note.name : key == "date" ? note.date : std::string();
    }
    for (const TaggedComment& comment : note.tags) {
        if (tagKey(comment.tag) == key) {
            return comment.text;
        }
    }
    return {};
}

// A text of the note as UTF-8; nothing (null in JSON, as in CSV) when the note has none.
Cell noteCell(const DataNote& note, std::string_view key) {
    const std::string value = noteText(note, key);
    return value.empty() ? Cell{} : text(cp932ToUtf8(value));
}

// The cells of a measurement that every one of its rows repeats.
Row measurementCells(const TidyMeasurement& measurement) {
    Row row;
    row[at("file")] = text(validUtf8(measurement.file));
    if (measurement.format != FileKind::None) {
        row[at("format")] = text(std::string(fileKindName(measurement.format)));
    }
    if (measurement.note != nullptr) {
        const DataNote& note = *measurement.note;
        row[at("sample")] = noteCell(note, "sample");
        row[at("id")] = noteCell(note, "id");
        row[at("date")] = noteCell(note, "date");
    }
    return row;
}

// Why a record has fewer values than a full one; "ok" when it has them all.
std::string recordStatus(const RegressionResult& record) {
    if (!record.points) {
        return record.pointCount == kPointsNone ? "no data points" : "not enough memory";
    }
    if (record.status.test(StatusFlag::NoActivePoint) ||
        !record.status.test(StatusFlag::Statistics)) {
        return "no active points";
    }
    if (record.status.test(StatusFlag::FitFailed)) {
        return "fit failed: " + (record.fit ? record.fit->failure : std::string());
    }
    if (!record.status.test(StatusFlag::Line) || !record.fit) {
        return "no line: one active point";
    }
    if (!record.status.test(StatusFlag::LineTest)) {
        return "no errors: two active points";
    }
    return "ok";
}

void fillRecord(Row& row, const RegressionResult& record, CalcFlags calcFlags) {
    const bool useStdDev = calcFlags.test(CalcFlag::UseStdDev);
    const IrdRecordColumns columns = RecordColumnsOf(record, calcFlags);
    std::string name = record.sheetName;
    if (name.empty()) {
        name = record.isRatio() ? record.numerator + "/" + record.denominator : record.numerator;
    }
    row[at("record")] = text(cp932ToUtf8(name));
    row[at("type")] = text(record.isRatio() ? "ratio" : "abundance");
    row[at("numerator")] = text(cp932ToUtf8(record.numerator));
    if (record.isRatio()) {
        row[at("denominator")] = text(cp932ToUtf8(record.denominator));
    }
    const bool hasPoints = record.points.has_value();
    row[at("points")] = count(hasPoints ? record.pointCount : 0);
    row[at("active_points")] = count(hasPoints ? record.activeCount : 0);
    row[at("excluded_points")] = count(0);
    row[at("confidence_level")] = number(columns.confidenceLevel);
    row[at("estimate")] = text(useStdDev ? "sd" : "unbiased");
    row[at("test_level")] = number(columns.testLevel);
    // The method of a record that has a curve, or whose method found none.
    if (record.fit && record.status.test(StatusFlag::Line | StatusFlag::FitFailed)) {
        row[at("method")] = text(std::string(RegressionMethodKeyword(record.fit->method)));
    }

    const bool statistics = hasPoints && record.status.test(StatusFlag::Statistics) &&
                            !record.status.test(StatusFlag::NoActivePoint);
    const bool correlation = statistics && record.status.test(StatusFlag::Correlation);
    if (statistics) {
        row[at("mean")] = number(record.mean);
    }
    // The plain deviation exists from one point on, the unbiased one and its t limit from two.
    if (useStdDev ? statistics : correlation) {
        row[at("stddev")] = number(columns.deviation);
        row[at("mean_limit")] = number(columns.limit);
    }
    if (correlation) {
        row[at("r")] = number(record.r);
        row[at("r_test")] = text(columns.correlated ? "r!=0" : "r=0");
    }
    if (record.fit && statistics && record.status.test(StatusFlag::Line)) {
        const LineFit& fit = *record.fit;
        const bool line = fit.method == kLinearMethod;
        row[at("intercept")] = number(fit.intercept);
        if (line) {
            row[at("slope")] = number(fit.slope);
        }
        if (record.status.test(StatusFlag::LineTest)) {
            const LineErrors errors = ShownLineErrors(fit, calcFlags);
            row[at("intercept_error")] = number(errors.intercept);
            if (line) {
                row[at("slope_error")] = number(errors.slope);
                row[at("slope_test")] = text(SlopeTestRejects(fit) ? "a!=0" : "a=0");
            }
        }
    }
    row[at("status")] = text(recordStatus(record));
}

// RFC 4180: a field with a comma, a double quote or a line break is quoted, its quotes doubled.
void appendCsvField(std::string& out, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    out += '"';
}

void appendJsonString(std::string& out, std::string_view value) {
    out += '"';
    for (const char c : value) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

std::string rowText(const Row& row, TidyTableFormat format) {
    std::string out;
    if (format == TidyTableFormat::Csv) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            appendCsvField(out, row[i].text);
        }
        out += "\r\n";
        return out;
    }
    out += '{';
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (i > 0) {
            out += ", ";
        }
        appendJsonString(out, kColumns[i]);
        out += ": ";
        switch (row[i].kind) {
        case Cell::Kind::Empty:
        case Cell::Kind::NonFinite:
            out += "null";
            break;
        case Cell::Kind::Number:
            out += row[i].text;
            break;
        case Cell::Kind::Text:
            appendJsonString(out, row[i].text);
            break;
        }
    }
    out += '}';
    return out;
}

} // namespace

std::span<const std::string_view> TidyTableColumns() {
    return kColumns;
}

std::string ShortestNumber(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Inf" : "-Inf";
    }
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

std::vector<std::string> TidyTableRows(const TidyMeasurement& measurement, TidyTableFormat format) {
    const Row shared = measurementCells(measurement);
    std::vector<std::string> rows;
    if (measurement.failure) {
        Row row = shared;
        std::string status = "failed: ";
        status += validUtf8(*measurement.failure);
        row[at("status")] = text(std::move(status));
        rows.push_back(rowText(row, format));
        return rows;
    }
    rows.reserve(measurement.records.size());
    for (const RegressionResult& record : measurement.records) {
        Row row = shared;
        fillRecord(row, record, measurement.calcFlags);
        rows.push_back(rowText(row, format));
    }
    return rows;
}

TidyTableText::TidyTableText(TidyTableFormat format) : format_(format) {
    if (format_ == TidyTableFormat::Csv) {
        Row heads;
        for (std::size_t i = 0; i < kColumns.size(); ++i) {
            heads[i] = text(std::string(kColumns[i]));
        }
        text_ = rowText(heads, format_);
    } else {
        text_ += '['; // appended: GCC 12 at -O3 misreads the assignment as overlapping copies
    }
}

void TidyTableText::append(const std::vector<std::string>& rows) {
    for (const std::string& row : rows) {
        if (format_ == TidyTableFormat::Json) {
            text_ += empty_ ? "\n" : ",\n";
        }
        text_ += row;
        empty_ = false;
    }
}

std::string TidyTableText::finish() const {
    if (format_ == TidyTableFormat::Csv) {
        return text_;
    }
    return text_ + (empty_ ? "]\n" : "\n]\n");
}

} // namespace tarnova
