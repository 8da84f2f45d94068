// Certified reference data of NIST/ITL's Statistical Reference Datasets (StRD, public domain):
// the univariate sets NumAcc1 to NumAcc4 and the linear regression Norris, with their certified
// values to 15 significant digits, and the log relative error that measures agreement with them.
#pragma once

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tarnova::test {

// Agreeing significant digits, -log10(|computed - certified| / |certified|), at most the 15
// digits that are certified; 0 when nothing agrees (or the computed value is no number).
inline double logRelativeError(double computed, double certified) {
    constexpr double kCertifiedDigits = 15.0;
    if (computed == certified) {
        return kCertifiedDigits;
    }
    const double lre = -std::log10(std::fabs(computed - certified) / std::fabs(certified));
    return std::isnan(lre) ? 0.0 : std::clamp(lre, 0.0, kCertifiedDigits);
}

// A univariate set: its values as NIST writes them, the certified mean and the certified
// standard deviation with divisor n - 1.
struct UnivariateSet {
    std::string name;
    std::vector<std::string> values;
    double mean = 0.0;
    double sd = 0.0;

    // The standard deviation with divisor n, derived from the certified one.
    double sdOverN() const {
        const double n = static_cast<double>(values.size());
        return sd * std::sqrt((n - 1.0) / n);
    }
};

// NumAcc2 to NumAcc4: the centre, then 500 pairs of centre - 0.1 and centre + 0.1.
inline UnivariateSet alternatingSet(std::string name, const std::string& below,
                                    const std::string& centre, const std::string& above,
                                    double mean) {
    UnivariateSet set{std::move(name), {centre}, mean, 0.1};
    for (int pair = 0; pair < 500; ++pair) {
        set.values.push_back(below);
        set.values.push_back(above);
    }
    return set;
}

inline std::vector<UnivariateSet> numAccSets() {
    return {
        UnivariateSet{"NumAcc1", {"10000001", "10000003", "10000002"}, 10000002.0, 1.0},
        alternatingSet("NumAcc2", "1.1", "1.2", "1.3", 1.2),
        alternatingSet("NumAcc3", "1000000.1", "1000000.2", "1000000.3", 1000000.2),
        alternatingSet("NumAcc4", "10000000.1", "10000000.2", "10000000.3", 10000000.2),
    };
}

// Norris: y = b0 + b1 x over 36 observations, as (y, x) in NIST's order.
struct NorrisObservation {
    const char* y;
    const char* x;
};

inline constexpr NorrisObservation kNorrisData[] = {
    {"0.1", "0.2"},     {"338.8", "337.4"}, {"118.1", "118.2"}, {"888.0", "884.6"},
    {"9.2", "10.1"},    {"228.1", "226.5"}, {"668.5", "666.3"}, {"998.5", "996.3"},
    {"449.1", "448.6"}, {"778.9", "777.0"}, {"559.2", "558.2"}, {"0.3", "0.4"},
    {"0.1", "0.6"},     {"778.1", "775.5"}, {"668.8", "666.9"}, {"339.3", "338.0"},
    {"448.9", "447.5"}, {"10.8", "11.6"},   {"557.7", "556.0"}, {"228.3", "228.1"},
    {"998.0", "995.8"}, {"888.8", "887.6"}, {"119.6", "120.2"}, {"0.3", "0.3"},
    {"0.6", "0.3"},     {"557.6", "556.8"}, {"339.3", "339.1"}, {"888.0", "887.2"},
    {"998.5", "999.0"}, {"778.9", "779.0"}, {"10.2", "11.1"},   {"117.6", "118.3"},
    {"228.9", "229.2"}, {"668.4", "669.1"}, {"449.2", "448.9"}, {"0.2", "0.5"},
};

struct NorrisCertified {
    double intercept = -0.262323073774029;
    double interceptSd = 0.232818234301152;
    double slope = 1.00211681802045;
    double slopeSd = 0.429796848199937E-03;
    double residualSd = 0.884796396144373;
    double rSquared = 0.999993745883712;
};

} // namespace tarnova::test
