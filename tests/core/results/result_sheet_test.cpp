// The result sheet's lines and the data-point table on a recording surface, as numbers.
#include "calc/calc_state.h"
#include "calc/regression_method.h"
#include "core/support/recording_surface.h"
#include "core/support/regression_records.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tarnova {
namespace {

using test::dataPoint;
using test::lineFrom;
using test::Primitive;
using test::RecordingSurface;
using test::textAt;
using test::textIn;

constexpr ResultFlags kAllLines = kAllResultItems;
constexpr StatusFlags kFullStatus =
    StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line | StatusFlag::LineTest;

RegressionResult testedSheet() {
    RegressionResult r;
    r.sheetName = "Ar40/Ar36";
    r.status = kFullStatus;
    r.activeCount = 14;
    r.mean = 295.5;
    r.stdDev = 0.25;
    r.stdDevUnbiased = 0.5;
    r.tLimit = 2.0;
    r.maxValue = 296.25;
    r.minValue = 294.75;
    r.maxTime = 11.5;
    r.minTime = 0.5;
    r.r = -0.125;
    r.tOfR = 0.5;
    r.tCritical = 3.5;
    r.checkLevel = 0.997;
    LineFit fit;
    fit.intercept = 295.75;
    fit.interceptError = 0.125;
    fit.slope = -0.0625;
    fit.slopeError = 0.03125;
    fit.tLine = 2.0;
    fit.checkLevel = 0.997;
    fit.fValue = 1.5;
    fit.fCritical = 10.5;
    r.fit = fit;
    return r;
}

DataNote datNote(std::string name) {
    DataNote note;
    note.form = DataNoteForm::Dat;
    note.name = std::move(name);
    return note;
}

std::vector<std::string> sheetTexts(const RegressionResult& result, CalcFlags calcFlags,
                                    ResultFlags lines = kAllLines, const DataNote* note = nullptr) {
    RecordingSurface surface;
    SurfaceRect area{10, 20, 600, 400};
    DrawResultSheet(surface, area, result, note, calcFlags, lines,
                    RegressionMethods().front().describe);
    return surface.texts();
}

TEST(ResultSheet, EveryLineInPlace) {
    RecordingSurface surface; // h 16, w 8
    SurfaceRect area{10, 20, 600, 400};
    const DataNote note = datNote("Sample 7");
    const RegressionResult result = testedSheet();
    DrawResultSheet(surface, area, result, &note, {}, kAllLines,
                    RegressionMethods().front().describe);
    EXPECT_EQ(surface.primitives,
              (std::vector<Primitive>{
                  textAt(15, 25, "Ar40/Ar36"),
                  textAt(15, 41, "Sample 7"),
                  textAt(15, 57, "データ数:"),
                  textAt(106, 57, "14"),
                  // Unbiased sigma and its t limit; each column 20 widths on.
                  textAt(15, 73, "平均値: 295.5"),
                  textAt(175, 73, "σ=0.5"),
                  textAt(335, 73, "Limit(67)=1"),
                  textAt(175, 89, "Max: 296.25"),
                  textAt(335, 89, "Min: 294.75"),
                  textAt(15, 105, "時刻"),
                  textAt(175, 105, "Max: 11.5"),
                  textAt(335, 105, "Min: 0.5"),
                  // The formula block begins one line below the time line.
                  textAt(15, 121, "y = 295.75(0.25) + -0.0625(0.0625) * x"),
                  textAt(15, 137, "回帰切片:"),
                  textAt(111, 137, "295.75+/-0.25(信頼限界)"),
                  textAt(40, 153, "y=b+axについて帰無仮説a=0を採択(F=1.5, F(0.003000)=10.5)"),
                  textAt(15, 169, "r = -0.125"),
                  textAt(40, 185, "相関係数rについて帰無仮説r=0を採択(t=0.5, t(0.003000)=3.5)"),
              }));
    EXPECT_EQ(area.top, 201);
}

TEST(ResultSheet, WhatTheStatusAllows) {
    RegressionResult none = testedSheet();
    none.status = {};
    none.activeCount = 0;
    EXPECT_EQ(sheetTexts(none, {}), (std::vector<std::string>{"Ar40/Ar36", "データ数:", "0",
                                                              "平均値は計算不可能です(n < 1)"}));

    // One datum: the mean alone; a fit object without a line draws no formula.
    RegressionResult one = testedSheet();
    one.status = StatusFlag::Statistics;
    one.activeCount = 1;
    EXPECT_EQ(sheetTexts(one, {}),
              (std::vector<std::string>{"Ar40/Ar36", "データ数:", "1", "平均値: 295.5"}));

    // Two data: the line without errors, r and the t sentence.
    RegressionResult two = testedSheet();
    two.status = StatusFlag::Statistics | StatusFlag::Correlation | StatusFlag::Line;
    const std::vector<std::string> texts = sheetTexts(two, {});
    ASSERT_EQ(texts.size(), 14u);
    EXPECT_EQ(texts[11], "y = 295.75 + -0.0625 * x");
    EXPECT_EQ(texts[12], "r = -0.125");
}

TEST(ResultSheet, LimitsByTheCalculationsOptions) {
    struct Case {
        CalcFlags calcFlags;
        const char* sigma;
        const char* limit;
    };
    const Case cases[] = {
        {{}, "σ=0.5", "Limit(67)=1"},
        {CalcFlag::Conf95, "σ=0.5", "Limit(95)=1"},
        {CalcFlag::UseStdDev, "σ=0.25", "Limit(67)=0.25"},
        {CalcFlag::UseStdDev | CalcFlag::Conf95, "σ=0.25", "Limit(95)=0.5"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> texts = sheetTexts(testedSheet(), c.calcFlags);
        EXPECT_EQ(texts[4], c.sigma) << c.calcFlags.raw();
        EXPECT_EQ(texts[5], c.limit) << c.calcFlags.raw();
    }
}

TEST(ResultSheet, LongNumbersPushTheNextColumn) {
    RegressionResult result = testedSheet();
    result.mean = -1.2345678e-100; // "平均値: -1.2345678E-100": 23 bytes in code page 932
    RecordingSurface surface;
    SurfaceRect area{10, 20, 600, 400};
    DrawResultSheet(surface, area, result, nullptr, {}, kAllLines, nullptr);
    EXPECT_EQ(surface.primitives[3], textAt(15, 57, "平均値: -1.2345678E-100"));
    EXPECT_EQ(surface.primitives[4], textAt(15 + 25 * 8, 57, "σ=0.5"));
    // At 18 bytes the column is still 20 widths.
    result.mean = 1.2345678e-100;      // "平均値: 1.2345678E-100": 22 bytes
    result.stdDevUnbiased = 123456.78; // "σ=123456.78": 11 bytes
    RecordingSurface second;
    SurfaceRect area2{0, 0, 600, 400};
    DrawResultSheet(second, area2, result, nullptr, {}, kAllLines, nullptr);
    EXPECT_EQ(second.primitives[4].from.x, 5 + 24 * 8);
    EXPECT_EQ(second.primitives[5].from.x, 5 + 24 * 8 + 20 * 8);
}

TEST(ResultSheet, CorrelationTestVerdict) {
    RegressionResult equal = testedSheet();
    equal.tOfR = 3.5;
    EXPECT_EQ(sheetTexts(equal, {}).back(),
              "相関係数rについて帰無仮説r=0を採択(t=3.5, t(0.003000)=3.5)");
    RegressionResult above = testedSheet();
    above.tOfR = 3.5000001;
    EXPECT_EQ(sheetTexts(above, {}).back(),
              "相関係数rについて帰無仮説r=0を棄却(t=3.5, t(0.003000)=3.5)");
}

TEST(ResultSheet, DataNameOfEachNote) {
    DataNote pksNamed;
    pksNamed.form = DataNoteForm::Pks;
    pksNamed.tags = {{"Sample:", "AS-12"}, {"NAME", "\x83\x65\x83\x58\x83\x67"}}; // テスト
    DataNote pksEmpty;
    pksEmpty.form = DataNoteForm::Pks;
    const DataNote dat = datNote("Run 12");
    struct Case {
        const DataNote* note;
        std::optional<std::string> shown;
        int countLine; // y of "データ数:": the data-name line is consumed even when empty
    };
    const Case cases[] = {
        {nullptr, std::nullopt, 41},
        {&dat, "Run 12", 57},
        {&pksNamed, "テスト", 57},
        {&pksEmpty, std::nullopt, 57},
    };
    for (const Case& c : cases) {
        RecordingSurface surface;
        SurfaceRect area{10, 20, 600, 400};
        DrawResultSheet(surface, area, testedSheet(), c.note, {},
                        ResultFlag::SheetName | ResultFlag::DataName, nullptr);
        const std::size_t countIndex = c.shown ? 2 : 1;
        ASSERT_GT(surface.primitives.size(), countIndex);
        if (c.shown) {
            EXPECT_EQ(surface.primitives[1], textAt(15, 41, *c.shown));
        }
        EXPECT_EQ(surface.primitives[countIndex], textAt(15, c.countLine, "データ数:"));
    }
    // Without the dataname option nothing of the note shows.
    EXPECT_EQ(sheetTexts(testedSheet(), {}, ResultFlag::SheetName, &dat),
              (std::vector<std::string>{"Ar40/Ar36", "データ数:", "14"}));
}

// The room a sheet takes, against the texts a recording surface saw drawn with the same font:
// the right end of the widest text plus one character width, and the line below the last.
// In a font whose digits are wider than its average character, each column still starts at
// least one blank after the text before it, as the font draws it.
TEST(ResultSheet, ColumnsStartABlankAfterTheWidestText) {
    RegressionResult result = testedSheet();
    result.mean = 0.020744667; // "平均値: 0.020744667": 19 bytes, 21 widths of the column
    result.maxValue = 0.0207447123;
    RecordingSurface surface;
    surface.measure = [](std::string_view text) {
        int width = 0;
        for (const char c : text) {
            width += (c >= '0' && c <= '9') ? 16 : 8;
        }
        return width;
    };
    SurfaceRect area{0, 0, 900, 400};
    DrawResultSheet(surface, area, result, nullptr, {}, kAllLines, nullptr);
    const std::pair<const char*, const char*> neighbours[] = {
        {"平均値: 0.020744667", "σ=0.5"},
        {"Max: 0.020744712", "Min: 294.75"},
    };
    for (const auto& [left, right] : neighbours) {
        SCOPED_TRACE(left);
        const auto find = [&surface](std::string_view text) {
            return std::find_if(surface.primitives.begin(), surface.primitives.end(),
                                [text](const Primitive& p) { return p.text == text; });
        };
        const auto first = find(left);
        const auto second = find(right);
        ASSERT_NE(first, surface.primitives.end());
        ASSERT_NE(second, surface.primitives.end());
        EXPECT_GE(second->from.x, first->from.x + surface.textWidth(left) + surface.textWidth(" "));
    }
}

TEST(ResultSheet, ExtentHoldsEveryLineWhole) {
    struct Case {
        const char* name;
        StatusFlags status;
        std::function<int(std::string_view)> measure; // none: w per character
    };
    const Case cases[] = {
        {"every line", kFullStatus, {}},
        {"wide digits", kFullStatus,
         [](std::string_view text) {
             int width = 0;
             for (const char c : text) {
                 width += (c >= '0' && c <= '9') ? 13 : 8;
             }
             return width;
         }},
    };
    const DataNote note = datNote("Sample 7");
    for (const Case& c : cases) {
        RegressionResult result = testedSheet();
        result.status = c.status;
        RecordingSurface surface;
        surface.measure = c.measure;
        SurfaceRect area{0, 0, 0, 0};
        DrawResultSheet(surface, area, result, &note, {}, kAllLines,
                        RegressionMethods().front().describe);
        int right = 0;
        for (const Primitive& p : surface.ofKind(test::PrimitiveKind::Text)) {
            right = std::max(right, p.from.x + surface.textWidth(p.text));
        }
        const SurfacePoint extent = ResultSheetExtent(
            surface.metrics, [&surface](std::string_view text) { return surface.textWidth(text); },
            result, &note, {}, kAllLines, RegressionMethods().front().describe);
        EXPECT_EQ(extent.x, right + 8) << c.name;
        EXPECT_EQ(extent.y, area.top) << c.name;
    }
    // A correlation sentence wider than everything else: it sets the width, 30 units in.
    const auto wideSentence = [](std::string_view text) {
        return text.starts_with("相関係数") ? 1000 : 8 * static_cast<int>(text.size());
    };
    EXPECT_EQ(ResultSheetExtent({16, 8}, wideSentence, testedSheet(), nullptr, {}, kAllLines,
                                RegressionMethods().front().describe)
                  .x,
              30 + 1000 + 8);
}

TEST(DataPointTable, EnabledPointsRightAlignedUnderTheHeadings) {
    const std::vector<DataPoint> points{dataPoint(1.5, 2.25), dataPoint(3, 4.5, true),
                                        dataPoint(4.5, 1e-7)};
    RecordingSurface surface;
    SurfaceRect area{10, 100, 600, 400};
    DrawDataPointTable(surface, area, points, 0, 0);
    const auto left = HorizontalAlignment::Left;
    const auto right = HorizontalAlignment::Right;
    EXPECT_EQ(surface.primitives, (std::vector<Primitive>{
                                      textIn({10, 100, 170, 116}, "時刻", left),
                                      textIn({178, 100, 338, 116}, "データ", left),
                                      lineFrom({10, 118}, {346, 118}),
                                      textIn({10, 120, 170, 136}, "1.5", right),
                                      textIn({178, 120, 338, 136}, "2.25", right),
                                      textIn({10, 136, 170, 152}, "4.5", right),
                                      textIn({178, 136, 338, 152}, "1E-007", right),
                                      lineFrom({172, 100}, {172, 152}),
                                  }));
    EXPECT_EQ(area.top, 152);
}

TEST(DataPointTable, FirstLimitAndNothingEnabled) {
    const std::vector<DataPoint> points{dataPoint(1, 1), dataPoint(2, 2, true), dataPoint(3, 3),
                                        dataPoint(4, 4)};
    struct Case {
        int first;
        int limit;
        std::vector<std::string> times;
    };
    const Case cases[] = {
        {0, 0, {"1", "3", "4"}},  {1, 3, {"3"}},  {1, 2, {}},
        {0, 99, {"1", "3", "4"}}, {-5, 1, {"1"}},
    };
    for (const Case& c : cases) {
        RecordingSurface surface;
        SurfaceRect area{0, 0, 600, 400};
        DrawDataPointTable(surface, area, points, c.first, c.limit);
        std::vector<std::string> times;
        for (const Primitive& p : surface.ofKind(test::PrimitiveKind::TextInRect)) {
            if (p.rect.left == 0 && p.rect.top > 0) {
                times.push_back(p.text);
            }
        }
        EXPECT_EQ(times, c.times) << c.first << " " << c.limit;
        const int rows = static_cast<int>(c.times.size());
        EXPECT_EQ(area.top, 16 + 4 + rows * 16);
        // Without rows the rule is h + 4 long.
        EXPECT_EQ(surface.primitives.back(), lineFrom({162, 0}, {162, area.top}));
    }
}

} // namespace
} // namespace tarnova
