// NIST's reference data sets through the whole program: a PKS file written here, loaded into a
// grid whose height column shows 18 decimals, calculated and written as IRD by tarnova-cli
// reduce. Every digit the IRD prints must be the certified value's.
#include "core/support/boost_reference.h"
#include "core/support/cli_run.h"
#include "core/support/nist_reference.h"
#include "core/support/pontius_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tarnova {
namespace {

// Wide Time, Height and Range columns, so that the cells keep every digit of the data.
constexpr const char* kWideColumns = "[peakeditor]\r\n"
                                     "time=9.2\r\n"
                                     "height=21.18\r\n"
                                     "range=14.4\r\n";

struct PksPeak {
    long hundredths; // the time in hundredths, as PKS keeps it
    std::string value;
};

std::string pksText(const std::string& sample, const std::string& label,
                    const std::vector<PksPeak>& peaks) {
    std::string text = "\"Sample:\",\"" + sample + "\"\r\n";
    for (const PksPeak& peak : peaks) {
        char line[96];
        std::snprintf(line, sizeof line, "%5ld,   %s, \"%s\"\r\n", peak.hundredths,
                      peak.value.c_str(), label.c_str());
        text += line;
    }
    return text;
}

// The tab-separated fields of the one record line of an IRD written without header and heads.
std::vector<std::string> recordFields(const std::string& ird) {
    return test::split(test::split(ird, "\r\n").at(1), "\t");
}

// Whether the printed number ("%E": seven significant digits) is the certified value rounded
// to those digits: it differs from it by at most half a unit in its last place.
::testing::AssertionResult agreesToPrintedDigits(const std::string& printed, double certified) {
    const std::size_t exponentAt = printed.find('E');
    if (exponentAt == std::string::npos) {
        return ::testing::AssertionFailure() << "\"" << printed << "\" is no %E number";
    }
    const double value = std::strtod(printed.c_str(), nullptr);
    const double lastPlace = std::pow(10.0, std::atoi(printed.c_str() + exponentAt + 1) - 6);
    if (std::fabs(value - certified) <= 0.5 * lastPlace * (1.0 + 1e-9)) {
        return ::testing::AssertionSuccess();
    }
    char expected[40];
    std::snprintf(expected, sizeof expected, "%.6E", certified);
    return ::testing::AssertionFailure()
           << "printed " << printed << ", certified " << expected << " (" << certified << ")";
}

class CertifiedReduce : public ::testing::Test {
  protected:
    test::TempFolder folder;

    void SetUp() override { folder.write("TARNOVA.INI", kWideColumns); }

    // The record fields of reducing file's label as an abundance with the given options.
    std::vector<std::string> reduceAbundance(const std::string& file, const std::string& label,
                                             const std::string& options) {
        const test::CliRun run =
            test::runCli(folder, "reduce " + file + " --ini TARNOVA.INI --abundance " + label +
                                     " --output-flags none " + options);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        return recordFields(run.out);
    }
};

// Columns of a record line.
constexpr std::size_t kMean = 2;
constexpr std::size_t kDeviation = 3;
constexpr std::size_t kR = 6;
constexpr std::size_t kIntercept = 9;
constexpr std::size_t kInterceptError = 10;
constexpr std::size_t kSlope = 11;
constexpr std::size_t kSlopeError = 12;

TEST_F(CertifiedReduce, NumAccMeansAndDeviationsWithBothEstimates) {
    for (const test::UnivariateSet& set : test::numAccSets()) {
        std::vector<PksPeak> peaks;
        for (const std::string& value : set.values) {
            peaks.push_back({static_cast<long>(peaks.size() + 1) * 100, value});
        }
        folder.write(set.name + ".pks", pksText(set.name, "X", peaks));
        const struct {
            const char* option;
            double deviation;
        } estimates[] = {{"--unbiased", set.sd}, {"--stddev", set.sdOverN()}};
        for (const auto& estimate : estimates) {
            const std::vector<std::string> fields =
                reduceAbundance(set.name + ".pks", "X", estimate.option);
            ASSERT_GT(fields.size(), kDeviation) << set.name;
            EXPECT_TRUE(agreesToPrintedDigits(fields[kMean], set.mean))
                << set.name << " " << estimate.option;
            EXPECT_TRUE(agreesToPrintedDigits(fields[kDeviation], estimate.deviation))
                << set.name << " " << estimate.option;
        }
    }
}

// Norris's observations as one label's peaks: the time of a peak is x, its value y. The record
// of that label as an abundance fits y against x.
TEST_F(CertifiedReduce, NorrisCoefficientsAndErrors) {
    std::vector<PksPeak> peaks;
    for (const test::NorrisObservation& observation : test::kNorrisData) {
        peaks.push_back({std::lround(std::strtod(observation.x, nullptr) * 100), observation.y});
    }
    folder.write("norris.pks", pksText("Norris", "Y", peaks));
    const test::NorrisCertified certified;
    // The errors printed: with the t factor of the limits (34 degrees of freedom) or, as
    // standard deviations, with divisor n instead of n - 2 and doubled for 95 %.
    const double plain = std::sqrt(34.0 / 36.0);
    const struct {
        const char* options;
        double errorFactor;
    } settings[] = {{"--unbiased --conf68", test::upperT(0.16, 34)},
                    {"--unbiased --conf95", test::upperT(0.025, 34)},
                    {"--stddev --conf68", plain},
                    {"--stddev --conf95", 2 * plain}};
    for (const auto& setting : settings) {
        const std::vector<std::string> fields = reduceAbundance("norris.pks", "Y", setting.options);
        ASSERT_GT(fields.size(), kSlopeError) << setting.options;
        EXPECT_TRUE(agreesToPrintedDigits(fields[kIntercept], certified.intercept))
            << setting.options;
        EXPECT_TRUE(agreesToPrintedDigits(fields[kSlope], certified.slope)) << setting.options;
        EXPECT_TRUE(agreesToPrintedDigits(fields[kInterceptError],
                                          certified.interceptSd * setting.errorFactor))
            << setting.options;
        EXPECT_TRUE(
            agreesToPrintedDigits(fields[kSlopeError], certified.slopeSd * setting.errorFactor))
            << setting.options;
        EXPECT_TRUE(agreesToPrintedDigits(fields[kR], std::sqrt(certified.rSquared)))
            << setting.options;
    }
}

// Pontius's observations as one label's peaks, fitted by the parabola: the value at time zero
// is b0, and the columns of b1 and b2 follow it, each error with the t factor of 37 degrees of
// freedom or per point.
TEST_F(CertifiedReduce, PontiusParabolaCoefficientsAndErrors) {
    std::vector<PksPeak> peaks;
    for (const test::PontiusObservation& observation : test::kPontiusData) {
        peaks.push_back({std::atol(observation.x) * 100, observation.y});
    }
    folder.write("pontius.pks", pksText("Pontius", "Y", peaks));
    const test::PontiusCertified certified;
    const double plain = std::sqrt(37.0 / 40.0);
    const struct {
        const char* options;
        double errorFactor;
    } settings[] = {{"--unbiased --conf68", test::upperT(0.16, 37)},
                    {"--unbiased --conf95", test::upperT(0.025, 37)},
                    {"--stddev --conf68", plain},
                    {"--stddev --conf95", 2 * plain}};
    for (const auto& setting : settings) {
        const std::vector<std::string> fields =
            reduceAbundance("pontius.pks", "Y", std::string(setting.options) + " --fit parabolic");
        ASSERT_EQ(fields.size(), 20u) << setting.options;
        const struct {
            std::size_t column;
            double certified;
        } columns[] = {
            {kIntercept, certified.b0}, {kInterceptError, certified.b0Sd * setting.errorFactor},
            {11, certified.b1},         {12, certified.b1Sd * setting.errorFactor},
            {13, certified.b2},         {14, certified.b2Sd * setting.errorFactor}};
        for (const auto& column : columns) {
            EXPECT_TRUE(agreesToPrintedDigits(fields[column.column], column.certified))
                << setting.options << " column " << column.column;
        }
        EXPECT_EQ(fields[19], "\x93\xf1\x8e\x9f\x89\xf1\x8b\x41"); // 二次回帰 in code page 932
    }
}

} // namespace
} // namespace tarnova
