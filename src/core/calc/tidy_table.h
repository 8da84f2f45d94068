// The results of many measurements as one tidy table: a row per measurement and record, with
// the numbers at full precision, as CSV (RFC 4180, UTF-8, a header row) or as JSON (an array of
// objects with the same names) that spreadsheets, pandas and R read directly.
#pragma once

#include "calc/calc_flags.h"
#include "calc/result_table.h"
#include "data/file_kind.h"
#include "data/peak_sheet.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarnova {

enum class TidyTableFormat { Csv, Json };

// One measurement as the table shows it.
struct TidyMeasurement {
    std::string file;                 // the path it was named by (file-system bytes)
    FileKind format = FileKind::None; // the format it was read in; None when it was not read
    const DataNote* note = nullptr;   // its data note, when it was read
    std::span<const RegressionResult> records;
    CalcFlags
        calcFlags; // confidence level and error estimate (CalcFlag::Conf95, CalcFlag::UseStdDev)
    // Why the measurement gave no results (UTF-8); none when it was reduced.
    std::optional<std::string> failure;
};

// The names of the columns, in their order.
std::span<const std::string_view> TidyTableColumns();

// The rows of one measurement: one per record, or a single row that names the failure. Each is
// a whole row (CSV: ending in "\r\n"; JSON: one object, without separator). Values that a record
// does not have (no line through one point, no errors through two) are empty cells in CSV and
// null in JSON; numbers are the shortest texts that read back as the same double (NaN, Inf and
// -Inf in CSV, null in JSON).
std::vector<std::string> TidyTableRows(const TidyMeasurement& measurement, TidyTableFormat format);

// The text of a table, built from the rows of one measurement after another.
class TidyTableText final {
  public:
    explicit TidyTableText(TidyTableFormat format);
    void append(const std::vector<std::string>& rows);
    // The finished text: the header row and the rows (CSV), or the array (JSON).
    std::string finish() const;

  private:
    TidyTableFormat format_;
    std::string text_;
    bool empty_ = true;
};

// The shortest decimal text that reads back as exactly value (std::to_chars); NaN, Inf and -Inf
// for the values that have no digits.
std::string ShortestNumber(double value);

} // namespace tarnova
