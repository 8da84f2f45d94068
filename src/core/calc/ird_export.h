// Isotope-ratio data (IRD): the results as tab-separated text, with an optional header from the
// data note, an optional line of column heads and one line per record, every line ended by
// "\r\n". Texts are written as the records hold them (code page 932 bytes).
#pragma once

#include "calc/calc_flags.h"
#include "calc/result_table.h"
#include "data/peak_sheet.h"
#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnova {

// A number of an IRD line: "%E", with the exponent of at least two digits that the C library
// writes (1.234560E-03), as IRD files have it, and an exact tie rounded away from zero like
// every number the program writes.
std::string IrdNumber(double value);

// The record columns of an IRD line as numbers, for the view bits of calcFlags (CalcFlag::Conf95,
// CalcFlag::UseStdDev): the standard deviation shown, the confidence level, the confidence limit of
// the mean, the test level (1 - checkLevel) and whether the correlation test rejects r = 0.
struct IrdRecordColumns {
    double deviation = 0.0;
    double confidenceLevel = 0.0;
    double limit = 0.0;
    double testLevel = 0.0;
    bool correlated = false;
};
IrdRecordColumns RecordColumnsOf(const RegressionResult& record, CalcFlags calcFlags);

// The IRD text of records. note is the current data note or none; calcFlags selects the
// confidence level and the error estimate (CalcFlag::Conf95, CalcFlag::UseStdDev); outputFlags are
// fileOutputFlags or copyOutputFlags (OutputFlag::Header, Comment, GuideComment).
// peaks is the calculation's peak list (CountExclusions): when points of any record were
// excluded by hand or by the filter, every record line ends with those two numbers. The data
// note's lines leave out the entries of its stored reduction, which describe the file rather
// than these results. None when memory runs out.
std::optional<std::string> WriteIrd(std::span<const RegressionResult> records, const DataNote* note,
                                    CalcFlags calcFlags, OutputFlags outputFlags,
                                    std::span<const PeakRecord> peaks = {});

} // namespace tarnova
