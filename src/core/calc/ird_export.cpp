#include "calc/ird_export.h"
#include "settings/settings.h"

#include "calc/calc_state.h"
#include "calc/reduction_keeping.h"
#include "calc/regression_method.h"
#include "data/stored_reduction.h"
#include "platform/codepage.h"
#include "platform/text_format.h"

#include <algorithm>
#include <new>
#include <vector>

namespace tarnova {
namespace {

// The exponent of a number text of this program ("1.5E-007") shortened to the two digits at
// least that the C library writes ("1.5E-07"), as IRD files have it.
std::string withShortExponent(std::string text) {
    const std::size_t mark = text.find('E');
    if (mark != std::string::npos && text.size() == mark + 5 && text[mark + 2] == '0') {
        text.erase(mark + 2, 1);
    }
    return text;
}

// "%G" of an IRD file.
std::string irdGeneral(double value) {
    return withShortExponent(formatGeneral(value));
}

void appendNoteLines(std::string& text, const DataNote& note) {
    if (note.form == DataNoteForm::Pks) {
        for (const TaggedComment& comment : note.tags) {
            if (!IsStoredReductionTag(comment.tag)) {
                text += comment.tag + "\t" + comment.text + "\r\n";
            }
        }
        return;
    }
    text += "DATANAME\t" + note.name + "\r\nDATE\t" + note.date + "\r\nCOMMENT\t" + note.comment +
            "\r\n" + formatText("SPIKEID\t%d\r\n", note.spikeId) + "SPIKEVOLUME\t" +
            irdGeneral(note.spikeVolume) + "\t" + irdGeneral(note.spikeError) +
            "\r\nSAMPLEWEIGHT\t" + irdGeneral(note.weight) + "\r\n";
}

std::optional<std::string> exportFit(const LineFit& fit, CalcFlags calcFlags, FitColumns columns) {
    const std::span<const RegressionMethod> methods = RegressionMethods();
    if (fit.method >= methods.size()) {
        return std::nullopt;
    }
    return methods[fit.method].exportFit(&fit, calcFlags, columns);
}

// The methods of the records, in order of first appearance.
std::vector<std::uint32_t> methodsOf(std::span<const RegressionResult> records) {
    std::vector<std::uint32_t> methods;
    for (const RegressionResult& record : records) {
        const std::uint32_t method = RecordMethod(record);
        if (std::find(methods.begin(), methods.end(), method) == methods.end()) {
            methods.push_back(method);
        }
    }
    return methods;
}

std::string methodName(std::uint32_t method) {
    return utf8ToCp932(RegressionMethodName(method));
}

// Records fitted by other methods than the line name their method at the end of their line.
// With counted, the line ends with the numbers of points excluded by hand and by the filter.
void appendRecordLine(std::string& text, const RegressionResult& record, CalcFlags calcFlags,
                      bool namesMethod, const std::optional<ExclusionCount>& counted) {
    const IrdRecordColumns shown = RecordColumnsOf(record, calcFlags);
    text += record.sheetName;
    text += '\t';
    text += record.recordType();
    for (const double value : {record.mean, shown.deviation, shown.confidenceLevel, shown.limit,
                               record.r, shown.testLevel}) {
        text += '\t';
        text += IrdNumber(value);
    }
    text += shown.correlated ? "\tr!=0\t" : "\tr=0\t";
    if (record.fit) {
        if (const std::optional<std::string> columns =
                exportFit(*record.fit, calcFlags, FitColumns::Values)) {
            text += *columns;
        }
    }
    text += '\t';
    if (record.points) {
        for (const DataPoint& point : *record.points) {
            text += point.isActive() ? '1' : '0';
        }
    }
    if (namesMethod) {
        text += '\t';
        text += methodName(RecordMethod(record));
    }
    if (counted) {
        text += formatText("\t%d\t%d", counted->byHand, counted->byFilter);
    }
    text += "\r\n";
}

} // namespace

IrdRecordColumns RecordColumnsOf(const RegressionResult& record, CalcFlags calcFlags) {
    const bool stdDevErrors = calcFlags.test(CalcFlag::UseStdDev);
    const bool conf95 = calcFlags.test(CalcFlag::Conf95);
    IrdRecordColumns columns;
    columns.deviation = stdDevErrors ? record.stdDev : record.stdDevUnbiased;
    columns.confidenceLevel = conf95 ? 0.95 : 0.68;
    columns.limit = stdDevErrors ? (conf95 ? 2.0 * record.stdDev : record.stdDev)
                                 : record.stdDevUnbiased * record.tLimit;
    columns.testLevel = 1.0 - record.checkLevel;
    columns.correlated = record.tOfR > record.tCritical;
    return columns;
}

std::string IrdNumber(double value) {
    return withShortExponent(formatExponent(value, 0, 6));
}

std::optional<std::string> WriteIrd(std::span<const RegressionResult> records, const DataNote* note,
                                    CalcFlags calcFlags, OutputFlags outputFlags,
                                    std::span<const PeakRecord> peaks) try {
    const CalcFlags viewFlags = calcFlags & kCalcViewMask;
    // Records from which points were excluded by hand or by the filter say how many, each in
    // two columns at the end of the line; a table without such records keeps its layout.
    std::vector<ExclusionCount> counts;
    for (const RegressionResult& record : records) {
        counts.push_back(CountExclusions(record, peaks));
    }
    const bool counted =
        std::any_of(counts.begin(), counts.end(), [](const ExclusionCount& c) { return c.any(); });
    // A table of lines alone keeps the layout it always had; other methods add their names.
    const std::vector<std::uint32_t> methods = methodsOf(records);
    const bool linearOnly =
        methods.empty() || (methods.size() == 1 && methods.front() == kLinearMethod);
    // One character per point and a line per record: the table of a long measurement is
    // reserved once rather than grown by doubling, which held up to three times its size.
    std::size_t reserved = 4096;
    for (const RegressionResult& record : records) {
        reserved += 1024 + (record.points ? record.points->size() : 0);
    }
    std::string text;
    text.reserve(reserved);
    if (outputFlags.test(OutputFlag::Header)) {
        // Without a path the line still starts the file, so that it is recognised as IRD.
        text += "SOURCE\t";
        if (note != nullptr && note->path) {
            text += *note->path;
        }
        text += "\r\n";
        if (outputFlags.test(OutputFlag::Comment) && note != nullptr) {
            appendNoteLines(text, *note);
        }
        text += formatText("RECORDS\t%d\r\n", static_cast<int>(records.size()));
        text += "REGTYPE\t";
        if (methods.empty()) {
            text += methodName(kLinearMethod);
        }
        for (std::size_t i = 0; i < methods.size(); ++i) {
            if (i > 0) {
                text += ',';
            }
            text += methodName(methods[i]);
        }
        text += "\r\n";
    }
    text += "\r\n";
    if (outputFlags.test(OutputFlag::GuideComment)) {
        text += "#record name\trecord type(R or A)\taverage\tstddev\tconflevel\tconflimit\tr\t"
                "testlevel\ttest\t";
        // The heads of the one method of the table; a mixed table has only the two columns
        // that every method shares.
        LineFit heads;
        heads.method = methods.size() == 1 ? methods.front() : kLinearMethod;
        if (methods.size() > 1) {
            text += "intercept\terror";
        } else if (const std::optional<std::string> columns =
                       exportFit(heads, viewFlags, FitColumns::Heads)) {
            text += *columns;
        }
        if (!linearOnly) {
            text += "\t\tmethod";
        }
        if (counted) {
            text += linearOnly ? "\t\t" : "\t";
            text += "excluded by hand\texcluded by filter";
        }
        text += "\r\n";
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        appendRecordLine(text, records[i], viewFlags, !linearOnly,
                         counted ? std::optional<ExclusionCount>(counts[i]) : std::nullopt);
    }
    return text;
} catch (const std::bad_alloc&) {
    return std::nullopt;
}

} // namespace tarnova
