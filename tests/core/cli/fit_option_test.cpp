// tarnova-cli's --fit and the methods of the INI: which method fits which record.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnova {
namespace {

// Two labels measured alternately, A falling and levelling off, B steady.
std::string twoLabels() {
    std::string text = "\"Sample:\",\"fit\"\r\n";
    const double a[] = {9.1, 8.3, 7.7, 7.2, 6.8, 6.5, 6.3, 6.2};
    for (int i = 0; i < 8; ++i) {
        text += std::to_string(1000 + 2000 * i) + ",   " + std::to_string(a[i]) + ", \"A\"\r\n";
        text += std::to_string(2000 + 2000 * i) + ",   " + std::to_string(3.0 + 0.01 * (i % 3)) +
                ", \"B\"\r\n";
    }
    return text;
}

// The method name that ends each record line (code page 932), or "" for a line of the line's
// layout, in record order.
std::vector<std::string> methodsOf(const std::string& ird) {
    std::vector<std::string> methods;
    for (const std::string& line : test::split(ird, "\r\n")) {
        const std::vector<std::string> fields = test::split(line, "\t");
        if (fields.size() < 2 || (fields[1] != "A" && fields[1] != "R")) {
            continue;
        }
        const std::string& last = fields.back();
        methods.push_back(last.find_first_not_of("01") == std::string::npos ? "" : last);
    }
    return methods;
}

const std::string kParabolic = "\x93\xf1\x8e\x9f\x89\xf1\x8b\x41"; // 二次回帰
const std::string kMean = "\x95\xbd\x8b\xcf";                      // 平均
const std::string kLinear = "\x88\xea\x8e\x9f\x89\xf1\x8b\x41";    // 一次回帰

TEST(FitOption, MethodsOfTheCalculationOfNamesAndOfLabels) {
    test::TempFolder folder;
    folder.write("run.pks", twoLabels());
    folder.write("TARNOVA.INI", "[regression]\r\nmethod=mean\r\n"
                                "[regressionmethods]\r\nA=parabolic\r\n");
    const struct {
        std::string options;
        std::vector<std::string> methods; // A, B, A/B
    } cases[] = {
        {"", {"", "", ""}},
        {"--fit mean", {kMean, kMean, kMean}},
        {"--fit B=mean", {kLinear, kMean, kLinear}},
        {"--fit A=parabolic --fit A/B=linear", {kParabolic, kLinear, kLinear}},
        {"--ini TARNOVA.INI", {kParabolic, kMean, kParabolic}},
        {"--ini TARNOVA.INI --fit linear --fit A/B=mean", {kParabolic, kLinear, kMean}},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::runCli(
            folder, "reduce run.pks --abundance A --abundance B --numerator A --denominator B "
                    "--output-flags none " +
                        c.options);
        ASSERT_EQ(run.exitCode, 0) << c.options << ": " << run.err;
        EXPECT_EQ(methodsOf(run.out), c.methods) << c.options;
    }
}

TEST(FitOption, UnknownMethodsAndRepeatedMethodsAreUsageErrors) {
    test::TempFolder folder;
    folder.write("run.pks", twoLabels());
    for (const char* options :
         {"--fit cubic", "--fit A=cubic", "--fit =mean", "--fit mean --fit linear", "--fit"}) {
        const test::CliRun run =
            test::runCli(folder, std::string("reduce run.pks --abundance A ") + options);
        EXPECT_EQ(run.exitCode, 2) << options;
        EXPECT_NE(run.err, "") << options;
    }
}

} // namespace
} // namespace tarnova
