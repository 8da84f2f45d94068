// The opt-in outlier filter of the regressions: after each fit of a record, the points lying
// too far from its curve are disabled (marked as excluded by the filter) and the record is
// fitted again.
#pragma once

#include "settings/outlier_filter_setting.h"

#include <cstdint>
#include <vector>

namespace tarnova {

struct PeakRecord;
struct RegressionResult;

// The residual of a point is its value less the record's fitted curve at its time (the line,
// parabola, exponential or mean the record was fitted with; the automatic method's chosen
// curve). s is the curve's residual standard deviation, sqrt(sum of squared residuals /
// (n - p)) over the n active points and the p coefficients of the curve (2, 3, 3, 1); z is the
// residual over s. The filter judges only active points the user has not enabled again
// (PointFlag::KeptByUser); a record without a residual standard deviation, or with s = 0, is left
// as it is.

// The least number of active points the filter leaves a record fitted by method (the index of
// its fit): one more than the curve has coefficients and never fewer than the method needs, so
// that the refit still has a residual standard deviation: 3 for the line, 4 for the parabola
// and the exponential, 2 for the mean.
int OutlierFilterFloor(std::uint32_t method);

// Filters one record whose statistics and fit are computed. Each pass disables the points
// whose |residual| >= k * s (sigma) or whose n * erfc(|z| / sqrt 2) < 0.5 (Chauvenet), marking
// them PointFlag::ExcludedByFilter, and refits the record. Where the pass would leave fewer active
// points than the floor, only the points of largest |z| (the earlier one of equal |z|) are
// disabled, as many as the floor allows. A pass whose refit fails is undone. Sigma repeats up
// to iterations passes and stops at the first that disables nothing; Chauvenet makes one.
// Returns the number of points disabled.
int FilterOutliers(RegressionResult& record, const OutlierFilter& filter);

// The filter run of the result views on one record: the points the filter disabled earlier
// are enabled again, the record is refitted and filtered afresh. Points disabled for another
// reason stay out; points the user enabled again stay in. Returns the number of points
// disabled.
int RefilterOutliers(RegressionResult& record, const OutlierFilter& filter);

// Enables again the peaks that the filter alone excluded, so that a calculation decides them
// afresh with its own filter settings; a peak a correction excludes too loses only the
// filter's mark.
void ReleaseFilterExclusions(std::vector<PeakRecord>& peaks);

} // namespace tarnova
