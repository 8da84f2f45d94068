// The settings of the opt-in outlier filter of the regressions and their keyword, the one form
// the INI, the command line and the stored measurement write them in.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnova {

enum class OutlierRule {
    Off,       // no point is disabled by the filter
    Sigma,     // |residual| >= k * residual standard deviation, repeated for iterations passes
    Chauvenet, // n * erfc(|z| / sqrt 2) < 0.5, one pass
};

struct OutlierFilter {
    OutlierRule rule = OutlierRule::Off;
    double k = 2.0;
    int iterations = 1;

    bool operator==(const OutlierFilter&) const = default;
};

// The filter as one keyword, the form of the command line, the INI and the stored measurement:
// "off", "chauvenet" or "sigma:K:ITERATIONS" (K as the shortest decimal that reads back).
std::string FormatOutlierFilter(const OutlierFilter& filter);
// Reads that form; "sigma" alone and "sigma:K" take the default iterations (and k). None for
// anything else, a K that is not a finite number above 0, or ITERATIONS outside 1..100.
std::optional<OutlierFilter> ParseOutlierFilter(std::string_view text);

} // namespace tarnova
