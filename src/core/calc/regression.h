// The regressions of a calculation: data points from the peak list, the statistics of their
// values and times, and the fitted line of value against time.
#pragma once

#include "calc/result_table.h"
#include "data/peak_sheet.h"

#include <cstddef>
#include <vector>

namespace tarnova {

struct CalcState;
class PeakLabelIndex;

// Which run of the regressions: a calculation's decides the outlier filter afresh (the peaks it
// excluded are given back and every record is filtered after its fit, as state.outlierFilter
// says); an update ("Update All excluding disabled") keeps every point as the peaks hold it.
enum class RegressionRun { Update, Calculation };

// From this many peaks on, and while the run log is closed, RunRegressions computes the
// statistics and lines of the records on two threads; each record's results are those of the
// serial order, bit for bit.
inline constexpr std::size_t kParallelRecordsPeaks = 16384;

// How many records of a run succeeded; with None, calcFlags holds kCalcAllFailed.
enum class RecordsFitted { None, Some, All };

// Forms the points of every record, computes its statistics and fits its line. testLevel is the
// test level in percent.
RecordsFitted RunRegressions(CalcState& state, double testLevel,
                             RegressionRun run = RegressionRun::Update);

// The ratio points of record: every enabled numerator peak between two consecutive enabled
// denominator peaks, divided by the denominator signal interpolated to its time. peaks must be
// ordered by time; index is the index of peaks. False with a failure code in pointCount when
// no point was formed.
bool BuildRatioPoints(RegressionResult& record, const std::vector<PeakRecord>& peaks,
                      const PeakLabelIndex& index);
bool BuildRatioPoints(RegressionResult& record, const std::vector<PeakRecord>& peaks);

// The abundance points of record: every peak of its label, disabled peaks as disabled points.
bool BuildAbundancePoints(RegressionResult& record, const std::vector<PeakRecord>& peaks,
                          const PeakLabelIndex& index);
bool BuildAbundancePoints(RegressionResult& record, const std::vector<PeakRecord>& peaks);

// Statistics of the active points; false when there are no points or no active one.
bool ComputeStatistics(RegressionResult& record);

// Fits the record with its method (fitMethod; the linear method when it names none), replacing
// any previous fit. False when the method found no fit (fewer than two active points for the
// line).
bool FitLine(RegressionResult& record);

} // namespace tarnova
