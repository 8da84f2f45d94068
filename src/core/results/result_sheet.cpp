#include "results/result_sheet.h"

#include "calc/calc_state.h"
#include "platform/codepage.h"
#include "platform/measuring_surface.h"
#include "platform/text_format.h"
#include "settings/settings.h"

#include <algorithm>
#include <string_view>

namespace tarnova {
namespace {

// Columns of the sheet and of the data-point table, in average character widths.
constexpr int kColumnWidth = 20;
constexpr int kShortTextLength = 18;

// The next column after a text: 20 character widths on, or further when the text is longer.
// A text is counted in bytes of code page 932, so a double-byte character counts twice, as its
// width on the screen does; the column also starts at least one blank after the text as the
// font draws it, so that a font whose digits are wider than its average character does not
// join the two ("0.020744667σ=").
int advance(const Surface& surface, int x, std::string_view text, int charWidth) {
    const int length = static_cast<int>(utf8ToCp932(text).size());
    const int column = x + charWidth * (length <= kShortTextLength ? kColumnWidth : length + 2);
    return std::max(column, x + surface.textWidth(text) + surface.textWidth(" "));
}

} // namespace

std::optional<std::string> NoteDataName(const DataNote& note) {
    if (note.form == DataNoteForm::Dat) {
        return note.name;
    }
    if (note.tags.empty()) {
        return std::nullopt;
    }
    for (const TaggedComment& comment : note.tags) {
        if (comment.tag == "NAME") {
            return comment.text;
        }
    }
    return note.tags.front().text;
}

void DrawResultSheet(Surface& surface, SurfaceRect& area, const RegressionResult& result,
                     const DataNote* note, CalcFlags calcFlags, ResultFlags resultFlags,
                     DescribeOperation describe) {
    const FontMetrics metrics = surface.fontMetrics();
    const int w = metrics.averageCharWidth;
    const int h = metrics.lineHeight;
    const int x0 = area.left;
    const auto shown = [resultFlags](ResultFlag flag) { return resultFlags.test(flag); };
    const bool correlation = result.status.test(StatusFlag::Correlation);
    int y = area.top + 5;

    if (shown(ResultFlag::SheetName)) {
        surface.drawText({x0 + 5, y}, cp932ToUtf8(result.sheetName));
        y += h;
    }
    if (note != nullptr && shown(ResultFlag::DataName)) {
        if (const std::optional<std::string> name = NoteDataName(*note)) {
            surface.drawText({x0 + 5, y}, cp932ToUtf8(*name));
        }
        y += h;
    }
    surface.drawText({x0 + 5, y}, "データ数:");
    surface.drawText({x0 + w * 12, y}, formatText("%d", result.activeCount));
    y += h;

    if (shown(ResultFlag::Average)) {
        const std::string meanText = result.status.test(StatusFlag::Statistics)
                                         ? "平均値: " + formatGeneral(result.mean, 8)
                                         : std::string("平均値は計算不可能です(n < 1)");
        surface.drawText({x0 + 5, y}, meanText);
        if (correlation) {
            const bool conf95 = calcFlags.test(CalcFlag::Conf95);
            const bool useStdDev = calcFlags.test(CalcFlag::UseStdDev);
            const double sigma = useStdDev ? result.stdDev : result.stdDevUnbiased;
            const double limit = useStdDev ? sigma * (conf95 ? 2.0 : 1.0) : sigma * result.tLimit;
            int x = advance(surface, x0 + 5, meanText, w);
            const std::string sigmaText = "σ=" + formatGeneral(sigma, 8);
            surface.drawText({x, y}, sigmaText);
            x = advance(surface, x, sigmaText, w);
            surface.drawText({x, y},
                             formatText("Limit(%d)=", conf95 ? 95 : 67) + formatGeneral(limit, 8));
        }
        y += h;
    }

    if (correlation) {
        if (shown(ResultFlag::PeakRange)) {
            const int x = x0 + w * kColumnWidth + 5;
            const std::string maxText = "Max: " + formatGeneral(result.maxValue, 8);
            surface.drawText({x, y}, maxText);
            surface.drawText({advance(surface, x, maxText, w), y},
                             "Min: " + formatGeneral(result.minValue, 8));
        }
        y += h;
        if (shown(ResultFlag::TimeRange)) {
            const int x = x0 + 5 + w * kColumnWidth;
            const std::string maxText = "Max: " + formatGeneral(result.maxTime, 8);
            surface.drawText({x0 + 5, y}, "時刻");
            surface.drawText({x, y}, maxText);
            surface.drawText({advance(surface, x, maxText, w), y},
                             "Min: " + formatGeneral(result.minTime, 8));
        }
    }

    if (shown(ResultFlag::Formula) &&
        result.status.test(StatusFlag::Line | StatusFlag::FitFailed) && describe != nullptr) {
        SurfaceRect block = area;
        block.top = y;
        describe(surface, block, result.status, calcFlags & kCalcViewMask,
                 result.fit ? &*result.fit : nullptr);
        y = block.top;
    }

    if (correlation && shown(ResultFlag::Correlation)) {
        y += h;
        surface.drawText({x0 + 5, y}, "r = " + formatGeneral(result.r, 8));
        if (shown(ResultFlag::Test)) {
            y += h;
            surface.drawText({x0 + 30, y}, std::string("相関係数rについて帰無仮説r=0を") +
                                               (result.tOfR <= result.tCritical ? "採択" : "棄却") +
                                               "(t=" + formatGeneral(result.tOfR) + ", t(" +
                                               formatFixed(1.0 - result.checkLevel, 0, 6) +
                                               ")=" + formatGeneral(result.tCritical) + ")");
        }
    }
    area.top = y + h;
}

SurfacePoint ResultSheetExtent(FontMetrics metrics,
                               const std::function<int(std::string_view)>& textWidth,
                               const RegressionResult& result, const DataNote* note,
                               CalcFlags calcFlags, ResultFlags resultFlags,
                               DescribeOperation describe) {
    MeasuringSurface measure(metrics, textWidth);
    SurfaceRect area{0, 0, 0, 0};
    DrawResultSheet(measure, area, result, note, calcFlags, resultFlags, describe);
    const std::optional<SurfaceRect>& drawn = measure.extent();
    const int right = drawn ? drawn->right : 0;
    const int bottom = drawn ? std::max(drawn->bottom, area.top) : area.top;
    return {right + metrics.averageCharWidth, bottom};
}

void DrawDataPointTable(Surface& surface, SurfaceRect& area, std::span<const DataPoint> points,
                        int first, int limit) {
    const FontMetrics metrics = surface.fontMetrics();
    const int w = metrics.averageCharWidth;
    const int h = metrics.lineHeight;
    const int left = area.left;
    const SurfaceRect timeCell{left, 0, left + w * kColumnWidth, 0};
    const SurfaceRect valueCell{left + w * (kColumnWidth + 1), 0, left + w * (2 * kColumnWidth + 1),
                                0};
    const auto inRow = [](SurfaceRect cell, int top, int bottom) {
        cell.top = top;
        cell.bottom = bottom;
        return cell;
    };

    const int y0 = area.top;
    surface.drawTextInRect(inRow(timeCell, y0, y0 + h), "時刻", HorizontalAlignment::Left);
    surface.drawTextInRect(inRow(valueCell, y0, y0 + h), "データ", HorizontalAlignment::Left);
    int y = y0 + h + 2;
    surface.drawLine({left, y}, {left + w * (2 * kColumnWidth + 2), y});
    y += 2;

    const int count = static_cast<int>(points.size());
    const int end = limit <= 0 ? count : std::min(count, limit);
    for (int i = std::max(first, 0); i < end; ++i) {
        const DataPoint& point = points[static_cast<std::size_t>(i)];
        if (!point.isActive()) {
            continue;
        }
        surface.drawTextInRect(inRow(timeCell, y, y + h), formatGeneral(point.time),
                               HorizontalAlignment::Right);
        surface.drawTextInRect(inRow(valueCell, y, y + h), formatGeneral(point.value),
                               HorizontalAlignment::Right);
        y += h;
    }
    const int ruleX = left + w * kColumnWidth + 2;
    surface.drawLine({ruleX, y0}, {ruleX, y});
    area.top = y;
}

} // namespace tarnova
