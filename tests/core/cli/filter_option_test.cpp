// tarnova-cli's --filter and the filter of the INI: which points the outlier filter leaves out.
#include "core/support/cli_run.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnova {
namespace {

// Ten peaks of A around 100, the seventh 30 too high; B steady beside them.
std::string withOutlier() {
    const double noise[] = {0.5, -0.4, 0.3, -0.5, 0.4, -0.3, 0.5, -0.4, 0.3, -0.5};
    std::string text = "\"Sample:\",\"filter\"\r\n";
    for (int i = 0; i < 10; ++i) {
        text += std::to_string(1000 + 1000 * i) + ",   " +
                std::to_string(100.0 + noise[i] + (i == 6 ? 30.0 : 0.0)) + ", \"A\"\r\n";
        text += std::to_string(1500 + 1000 * i) + ",   " + std::to_string(2.0 + 0.01 * (i % 3)) +
                ", \"B\"\r\n";
    }
    return text;
}

// The point flags of the IRD's record of A ("1" for an enabled point): its field of ten
// 0s and 1s (the counts of excluded points may follow it).
std::string pointFlags(const std::string& ird) {
    for (const std::string& line : test::split(ird, "\r\n")) {
        const std::vector<std::string> fields = test::split(line, "\t");
        if (fields.size() > 2 && fields[1] == "A") {
            for (const std::string& field : fields) {
                if (field.size() == 10 && field.find_first_not_of("01") == std::string::npos) {
                    return field;
                }
            }
        }
    }
    return "";
}

TEST(FilterOption, FilterOfTheOptionOverTheOneOfTheIni) {
    test::TempFolder folder;
    folder.write("run.pks", withOutlier());
    folder.write("FILTER.INI", "[regression]\r\nfilter=chauvenet\r\n");
    const std::string all = "1111111111";
    const std::string withoutSeventh = "1111110111";
    const struct {
        const char* options;
        std::string flags;
    } cases[] = {
        {"", all},
        {"--filter off", all},
        {"--filter chauvenet", withoutSeventh},
        {"--filter sigma", withoutSeventh},
        {"--filter sigma:2:5", withoutSeventh},
        {"--filter sigma:5", all},
        {"--ini FILTER.INI", withoutSeventh},
        {"--ini FILTER.INI --filter off", all},
    };
    for (const auto& c : cases) {
        const test::CliRun run = test::runCli(
            folder, std::string("reduce run.pks --abundance A --output-flags none ") + c.options);
        ASSERT_EQ(run.exitCode, 0) << c.options << ": " << run.err;
        EXPECT_EQ(pointFlags(run.out), c.flags) << c.options;
    }
}

TEST(FilterOption, DamagedFiltersAndRepeatedFiltersAreUsageErrors) {
    test::TempFolder folder;
    folder.write("run.pks", withOutlier());
    for (const char* options :
         {"--filter", "--filter sigma:0", "--filter sigma:2:0", "--filter sigma:2:101",
          "--filter chauvenet:1", "--filter Sigma", "--filter off --filter chauvenet"}) {
        const test::CliRun run =
            test::runCli(folder, std::string("reduce run.pks --abundance A ") + options);
        EXPECT_EQ(run.exitCode, 2) << options;
        EXPECT_NE(run.err.find("--filter"), std::string::npos) << options << ": " << run.err;
    }
}

} // namespace
} // namespace tarnova
