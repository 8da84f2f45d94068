#include "calc/outlier_filter.h"

#include <gtest/gtest.h>

namespace tarnova {
namespace {

TEST(OutlierFilterKeyword, ReadsEveryFormAndWritesItBack) {
    struct Case {
        const char* text;
        OutlierRule rule;
        double k;
        int iterations;
        const char* written;
    };
    const Case cases[] = {
        {"off", OutlierRule::Off, 2.0, 1, "off"},
        {"chauvenet", OutlierRule::Chauvenet, 2.0, 1, "chauvenet"},
        {"sigma", OutlierRule::Sigma, 2.0, 1, "sigma:2:1"},
        {"sigma:2.5", OutlierRule::Sigma, 2.5, 1, "sigma:2.5:1"},
        {"sigma:3:4", OutlierRule::Sigma, 3.0, 4, "sigma:3:4"},
        {"sigma:0.1:100", OutlierRule::Sigma, 0.1, 100, "sigma:0.1:100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<OutlierFilter> filter = ParseOutlierFilter(c.text);
        ASSERT_TRUE(filter);
        EXPECT_EQ(filter->rule, c.rule);
        EXPECT_EQ(filter->k, c.k);
        EXPECT_EQ(filter->iterations, c.iterations);
        EXPECT_EQ(FormatOutlierFilter(*filter), c.written);
        EXPECT_EQ(ParseOutlierFilter(FormatOutlierFilter(*filter)), filter);
    }
}

TEST(OutlierFilterKeyword, RefusesDamagedForms) {
    for (const char* text :
         {"", "Off", "sigma:", "sigma:0", "sigma:-2", "sigma:nan", "sigma:inf", "sigma:2:0",
          "sigma:2:101", "sigma:2:1:1", "sigma:2x", "sigmas", "sigma:2:", "chauvenet:1", " off"}) {
        EXPECT_FALSE(ParseOutlierFilter(text)) << text;
    }
}

} // namespace
} // namespace tarnova
