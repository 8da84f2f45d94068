#include "results/graph.h"

#include "calc/regression_method.h"
#include "platform/codepage.h"
#include "platform/text_format.h"
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace tarnova {
namespace {

constexpr int kLabelPrecision = 5;
// Positions further than this from the origin are not drawn: far beyond any surface, and
// well inside the range of int.
constexpr double kFarCoordinate = 1.0e8;

bool isDrawable(double coordinate) {
    return std::isfinite(coordinate) && std::fabs(coordinate) <= kFarCoordinate;
}

// "%12.6G" of value, its exponent widened to three digits.
std::string formulaNumber(double value) {
    const std::string text = formatGeneral(value, 6);
    std::string padded(text.size() < 12 ? 12 - text.size() : 0, ' ');
    padded += text;
    return padded;
}

// "y = a + b * x", built by appending (GCC 12 at -O3 misreads a chain of + as overlapping copies).
std::string lineFormula(double intercept, double slope) {
    std::string formula = "y = ";
    formula += formulaNumber(intercept);
    formula += " + ";
    formula += formulaNumber(slope);
    formula += " * x";
    return formula;
}

// The formula of a curve under the plot, its numbers as the line's.
std::string curveFormula(const LineFit& fit) {
    const auto& b = fit.coefficients;
    std::string formula = "y = ";
    formula += formulaNumber(b[0]);
    if (fit.method == kParabolicMethod) {
        formula += " + ";
        formula += formulaNumber(b[1]);
        formula += " * x + ";
        formula += formulaNumber(b[2]);
        formula += " * x^2";
    } else if (fit.method == kExponentialMethod) {
        // A negative rate (a growing curve) in parentheses, as on the result sheet.
        const bool growing = b[1] < 0;
        formula += growing ? " * exp(-(" : " * exp(-";
        formula += formulaNumber(b[1]);
        formula += growing ? ") * x) + " : " * x) + ";
        formula += formulaNumber(b[2]);
    }
    return formula;
}

// Times at which a curve is followed: from 0 to maxTime in this many steps.
constexpr int kCurveSteps = 128;

// Which graph options the area has room for.
struct GraphOptions {
    bool name = false;
    bool formula = false;
    bool valueLabel = false;
    bool timeLabel = false;
    bool line = false;
    bool limits = false;
    bool mean = false;
};

// labelMargin: how far the plot lies right of the area's left edge with value labels.
GraphOptions optionsFitting(ResultFlags flags, long long width, long long height,
                            const FontMetrics& metrics, long long labelMargin) {
    const long long h = metrics.lineHeight;
    const long long w = metrics.averageCharWidth;
    const auto on = [flags](ResultFlag bit) { return flags.test(bit); };
    GraphOptions options;
    options.name = on(ResultFlag::GraphName) && height >= 2 * h + 100;
    options.formula = on(ResultFlag::GraphFormula) && height >= 4 * h + 100;
    options.valueLabel = on(ResultFlag::ValueLabel) && width >= labelMargin + 100;
    options.timeLabel = on(ResultFlag::TimeLabel) && height >= 3 * h + 100 && width >= 49 * w;
    options.line = on(ResultFlag::RegLine);
    options.limits = on(ResultFlag::RegLimit);
    options.mean = on(ResultFlag::AvgLine);
    return options;
}

// The scales of a drawing: time t lies at x = left + trunc(t * sx), value v at
// y = top + trunc((ymax - v) * sy). Either may be missing: times ending at or before 0 give
// no time scale, values all equal no value scale.
struct GraphScales {
    SurfaceRect plot;
    std::optional<double> sx;
    std::optional<double> sy;
    double ymin = 0.0;
    double ymax = 0.0;

    double x(double time) const { return plot.left + std::trunc(time * *sx); }
    double y(double value) const { return plot.top + std::trunc((ymax - value) * *sy); }
    bool complete() const { return sx && sy; }
};

bool insidePlotRows(const SurfaceRect& plot, double y) {
    return std::isfinite(y) && y >= plot.top && y < plot.bottom;
}

void drawTimeLabels(Surface& surface, const GraphScales& scales, double maxTime,
                    const FontMetrics& metrics) {
    const int h = metrics.lineHeight;
    const int w = metrics.averageCharWidth;
    const SurfaceRect& plot = scales.plot;
    const int bandTop = plot.bottom + h / 2;
    const int xs[] = {plot.left, plot.left + (plot.right - plot.left) / 2, plot.right - 1};
    const double times[] = {0.0, maxTime / 2.0, maxTime};
    for (int i = 0; i < 3; ++i) {
        const int x = xs[i];
        const std::string text = formatGeneral(times[i], kLabelPrecision);
        // Twelve characters wide, or wider when the font needs more for the label.
        const int boxWidth = std::max(12 * w, surface.textWidth(text));
        if (i < 2) {
            const int boxLeft = x - boxWidth / 2;
            surface.drawTextInRect({boxLeft, bandTop, boxLeft + boxWidth, bandTop + h}, text,
                                   HorizontalAlignment::Center);
        } else {
            surface.drawTextInRect({x + w - boxWidth, bandTop, x + w, bandTop + h}, text,
                                   HorizontalAlignment::Right);
        }
        surface.drawLine({x, plot.bottom}, {x, plot.bottom + h / 2});
    }
}

// The value labels at the bottom, the middle and the top of the plot: ymin, the middle value
// and ymax.
struct ValueLabels {
    std::array<std::string, 3> texts;
    int boxWidth = 0; // the box they are right-aligned in, from the area's left + 1
};

ValueLabels valueLabelsOf(const Surface& surface, double ymin, double ymax,
                          const FontMetrics& metrics) {
    ValueLabels labels{{formatGeneral(ymin, kLabelPrecision),
                        formatGeneral((ymax - ymin) / 2.0 + ymin, kLabelPrecision),
                        formatGeneral(ymax, kLabelPrecision)},
                       12 * metrics.averageCharWidth};
    // Twelve characters wide, or wider when the font needs more for a label: a label is drawn
    // whole, and the plot moves right to make room for it.
    for (const std::string& text : labels.texts) {
        labels.boxWidth = std::max(labels.boxWidth, surface.textWidth(text));
    }
    return labels;
}

void drawValueLabels(Surface& surface, const SurfaceRect& area, const GraphScales& scales,
                     const ValueLabels& labels, const FontMetrics& metrics) {
    const int h = metrics.lineHeight;
    const int w = metrics.averageCharWidth;
    const SurfaceRect& plot = scales.plot;
    const int ys[] = {plot.bottom - 1, plot.top + (plot.bottom - plot.top) / 2, plot.top};
    for (int i = 0; i < 3; ++i) {
        const int y = ys[i];
        surface.drawTextInRect(
            {area.left + 1, y - h / 2, area.left + 1 + labels.boxWidth, y - h / 2 + h},
            labels.texts[static_cast<std::size_t>(i)], HorizontalAlignment::Right);
        surface.drawLine({plot.left, y}, {plot.left - w / 2, y});
    }
}

// The confidence band of the line: strokes of 5 units every 10 units, each left out whole when
// it would leave the plot.
void drawConfidenceBand(Surface& surface, const GraphScales& scales, const LineFit& fit) {
    const SurfaceRect& plot = scales.plot;
    const double sx = *scales.sx;
    const double sy = *scales.sy;
    const auto halfWidth = [&fit](double t) { return BandHalfWidth(fit, t); };
    for (long long x = plot.left; x < plot.right; x += 10) {
        const double t1 = static_cast<double>(x - plot.left) / sx;
        const double t2 = static_cast<double>(x - plot.left + 5) / sx;
        const double d1 = std::trunc(halfWidth(t1) * sy);
        const double d2 = std::trunc(halfWidth(t2) * sy);
        const double c1 = scales.y(FittedValue(fit, t1));
        const double c2 = scales.y(FittedValue(fit, t2));
        const int x1 = static_cast<int>(x);
        for (const double sign : {1.0, -1.0}) {
            const double y1 = c1 + sign * d1;
            const double y2 = c2 + sign * d2;
            if (insidePlotRows(plot, y1) && insidePlotRows(plot, y2)) {
                surface.drawLine({x1, static_cast<int>(y1)}, {x1 + 5, static_cast<int>(y2)});
            }
        }
    }
}

// A curve other than the line: segments between the times of kCurveSteps equal steps, each
// left out when an end cannot be drawn.
void drawCurve(Surface& surface, const GraphScales& scales, const LineFit& fit, double maxTime) {
    std::optional<SurfacePoint> previous;
    for (int step = 0; step <= kCurveSteps; ++step) {
        const double t = maxTime * step / kCurveSteps;
        const double x = scales.x(t);
        const double y = scales.y(FittedValue(fit, t));
        if (!isDrawable(x) || !isDrawable(y)) {
            previous.reset();
            continue;
        }
        const SurfacePoint point{static_cast<int>(x), static_cast<int>(y)};
        if (previous) {
            surface.drawLine(*previous, point);
        }
        previous = point;
    }
}

// Markers: a circle for an enabled point, a cross for a disabled one, and for a point that
// the outlier filter disabled the cross in a square. Points off the plot, or without a
// position, get the off-graph mark and no marker.
void drawPoints(Surface& surface, const GraphScales& scales, std::vector<DataPoint>& points,
                PointPositions* positions, const FontMetrics& metrics) {
    const int m = metrics.averageCharWidth / 2;
    const int m1 = metrics.averageCharWidth / 2 + 1;
    const SurfaceRect& plot = scales.plot;
    for (std::size_t i = 0; i < points.size(); ++i) {
        DataPoint& point = points[i];
        const double px = scales.x(point.time);
        const double py = scales.y(point.value);
        const bool inside = std::isfinite(px) && std::isfinite(py) && px + 1 >= plot.left &&
                            px - 1 < plot.right && py + 1 >= plot.top && py - 1 < plot.bottom;
        if (!inside) {
            point.flags |= PointFlag::OffGraph;
            continue;
        }
        point.flags &= ~PointFlag::OffGraph;
        const int x = static_cast<int>(px);
        const int y = static_cast<int>(py);
        if (positions != nullptr) {
            positions->points[i] = SurfacePoint{x, y};
        }
        if (point.isActive()) {
            surface.drawEllipse({x - m, y - m, x + m1, y + m1});
        } else {
            if (point.flags.test(PointFlag::ExcludedByFilter)) {
                surface.drawRectangle({x - m - 1, y - m - 1, x + m1 + 2, y + m1 + 2});
            }
            surface.drawLine({x - m, y - m}, {x + m1 + 1, y + m1 + 1});
            surface.drawLine({x + m1, y - m}, {x - m - 1, y + m1 + 1});
        }
    }
}

} // namespace

void PointPositions::reset(std::size_t pointCount) {
    points.assign(pointCount, std::nullopt);
    plot.reset();
    markerRadius = 0;
}

void DrawGraph(Surface& surface, const SurfaceRect& area, RegressionResult& result,
               ResultFlags resultFlags, PointPositions* positions, GraphExtent* extent) {
    std::vector<DataPoint>* points = result.points ? &*result.points : nullptr;
    if (positions != nullptr) {
        positions->reset(points != nullptr ? points->size() : 0);
    }
    if (extent != nullptr) {
        *extent = GraphExtent{};
    }
    // Every point is off the graph until it is drawn.
    if (points != nullptr) {
        for (DataPoint& point : *points) {
            point.flags |= PointFlag::OffGraph;
        }
    }

    const FontMetrics metrics = surface.fontMetrics();
    const int h = metrics.lineHeight;
    const int w = metrics.averageCharWidth;

    // A failed record, or one whose statistics are not valid, has nothing but its frame.
    const bool drawsValues = points != nullptr && result.status.test(StatusFlag::Statistics) &&
                             result.maxTime != result.minTime;
    const bool hasLine = HasFittedCurve(result);
    const bool isLine = hasLine && result.fit->method == kLinearMethod;
    const bool hasLimits = hasLine && result.status.test(StatusFlag::LineTest);
    const LineFit* fit = hasLine ? &*result.fit : nullptr;
    const double maxTime = result.maxTime;
    GraphScales scales;
    scales.ymin = result.minValue;
    scales.ymax = result.maxValue;
    const double lineEnd = isLine ? fit->slope * maxTime + fit->intercept : 0.0;
    const auto widenTo = [&scales](double value) {
        if (std::isfinite(value)) {
            scales.ymin = std::min(scales.ymin, value);
            scales.ymax = std::max(scales.ymax, value);
        }
    };
    if (isLine) {
        for (const double value : {lineEnd, fit->intercept}) {
            widenTo(value);
        }
    } else if (hasLine) {
        for (int step = 0; step <= kCurveSteps; ++step) {
            widenTo(FittedValue(*fit, maxTime * step / kCurveSteps));
        }
    }
    const std::optional<ValueLabels> labels =
        drawsValues && resultFlags.test(ResultFlag::ValueLabel)
            ? std::optional(valueLabelsOf(surface, scales.ymin, scales.ymax, metrics))
            : std::nullopt;
    const int labelMargin = (labels ? labels->boxWidth : 12 * w) + w;

    const long long width = static_cast<long long>(area.right) - area.left;
    const long long height = static_cast<long long>(area.bottom) - area.top;
    const GraphOptions options = optionsFitting(resultFlags, width, height, metrics, labelMargin);
    if (width < 100 || height < 100) {
        surface.drawTextInRect(area, "描画不可", HorizontalAlignment::Center,
                               VerticalAlignment::Center);
        return;
    }

    SurfaceRect& plot = scales.plot;
    plot.top = area.top + (options.name ? h + 1 : 0);
    plot.bottom = area.bottom - h / 2 - (options.formula ? h : 0) - (options.timeLabel ? h : 0);
    plot.left = area.left + (options.valueLabel ? labelMargin : 0);
    plot.right = area.right - w;
    if (positions != nullptr) {
        positions->plot = plot;
        positions->markerRadius = w / 2;
    }
    surface.drawRectangle(plot);
    if (options.name) {
        surface.drawTextInRect({area.left, area.top, area.right, area.top + h},
                               cp932ToUtf8(result.sheetName), HorizontalAlignment::Center);
    }
    if (!drawsValues) {
        return;
    }

    const double plotWidth = static_cast<double>(plot.right) - plot.left;
    const double plotHeight = static_cast<double>(plot.bottom) - plot.top;
    if (maxTime > 0.0 && std::isfinite(maxTime) && plotWidth > 0.0 &&
        std::isfinite(plotWidth / maxTime)) {
        scales.sx = plotWidth / maxTime;
    }
    if (options.timeLabel) {
        drawTimeLabels(surface, scales, maxTime, metrics);
    }

    const double valueSpan = scales.ymax - scales.ymin;
    if (std::isfinite(valueSpan) && valueSpan > 0.0 && plotHeight > 0.0 &&
        std::isfinite(plotHeight / valueSpan)) {
        scales.sy = plotHeight / valueSpan;
    }
    if (extent != nullptr && scales.complete()) {
        *extent = {true, 0.0, scales.ymax, maxTime, scales.ymin};
    }
    if (options.valueLabel) {
        drawValueLabels(surface, area, scales, *labels, metrics);
    }
    if (options.formula && hasLine) {
        // Centred under the graph; a formula wider than the graph starts at its left edge, so
        // that its beginning is read and only its end is cut.
        const std::string formula =
            isLine ? lineFormula(fit->intercept, fit->slope) : curveFormula(*fit);
        const bool fits = surface.textWidth(formula) <= area.right - area.left;
        surface.drawTextInRect({area.left, area.bottom - h, area.right, area.bottom}, formula,
                               fits ? HorizontalAlignment::Center : HorizontalAlignment::Left);
    }
    if (options.mean && scales.sy) {
        const double y = scales.y(result.mean);
        if (y >= plot.top && y <= plot.bottom) {
            const int row = static_cast<int>(y);
            surface.drawDashedLine({plot.left, row}, {plot.right, row}, surface.borderWidth());
        }
    }
    if (!scales.complete()) {
        return;
    }
    if (options.line && hasLine && !isLine) {
        drawCurve(surface, scales, *fit, maxTime);
    }
    if (options.line && isLine) {
        const double x2 = plot.left + std::trunc(*scales.sx * maxTime);
        const double y1 = scales.y(fit->intercept);
        const double y2 = scales.y(lineEnd);
        if (isDrawable(x2) && isDrawable(y1) && isDrawable(y2)) {
            surface.drawLine({plot.left, static_cast<int>(y1)},
                             {static_cast<int>(x2), static_cast<int>(y2)});
        }
    }
    if (options.limits && hasLimits) {
        drawConfidenceBand(surface, scales, *fit);
    }
    drawPoints(surface, scales, *points, positions, metrics);
}

std::optional<int> HitDataPoint(const PointPositions& positions, const RegressionResult& result,
                                int x, int y) {
    if (!result.points) {
        return std::nullopt;
    }
    const std::vector<DataPoint>& points = *result.points;
    const std::size_t count = std::min(points.size(), positions.points.size());
    // Squared distances, in 64 bits: positions lie anywhere in the range of int.
    const long long reach = static_cast<long long>(positions.markerRadius) + 2;
    long long nearest = reach * reach;
    std::optional<int> hit;
    for (std::size_t i = 0; i < count; ++i) {
        const std::optional<SurfacePoint>& position = positions.points[i];
        if (!position) {
            continue;
        }
        const long long dx = static_cast<long long>(x) - position->x;
        const long long dy = static_cast<long long>(y) - position->y;
        if (std::llabs(dx) > reach || std::llabs(dy) > reach) {
            continue;
        }
        const long long distance = dx * dx + dy * dy;
        if (distance < nearest || (distance == nearest && !hit)) {
            nearest = distance;
            hit = static_cast<int>(i);
        }
    }
    return hit;
}

std::optional<GraphReading> ReadGraphPosition(const PointPositions& positions,
                                              const GraphExtent& extent, int x, int y) {
    if (!extent.valid || !positions.plot) {
        return std::nullopt;
    }
    const SurfaceRect& plot = *positions.plot;
    if (x < plot.left || x >= plot.right || y < plot.top || y >= plot.bottom) {
        return std::nullopt;
    }
    const double width = static_cast<double>(plot.right) - plot.left;
    const double height = static_cast<double>(plot.bottom) - plot.top;
    return GraphReading{
        extent.leftTime + (extent.rightTime - extent.leftTime) / width * (x - plot.left),
        extent.topValue - (extent.topValue - extent.bottomValue) / height * (y - plot.top)};
}

std::string FormatGraphReading(const GraphReading& reading) {
    std::string text = "(";
    text.append(formatGeneral(reading.time)).append(", ");
    text.append(formatGeneral(reading.value)).append(")");
    return text;
}

GraphWindowLayout LayOutGraphWindow(const SurfaceRect& client, int dialogBaseHeight) {
    const int v = dialogBaseHeight;
    return {{client.left, client.top + 5, client.right, client.top + 5 + v},
            {client.left, client.top, client.right, client.top + v + 5},
            {client.left + 5, client.top + v + 6, client.right - 5, client.bottom - 5}};
}

void DrawGraphWindow(Surface& surface, const SurfaceRect& client, RegressionResult& result,
                     ResultFlags resultFlags, const std::optional<GraphReading>& reading,
                     PointPositions* positions, GraphExtent* extent) {
    const GraphWindowLayout layout = LayOutGraphWindow(client, surface.fontMetrics().lineHeight);
    if (reading) {
        surface.drawTextInRect(layout.readoutBox, FormatGraphReading(*reading),
                               HorizontalAlignment::Center, VerticalAlignment::Center);
    }
    DrawGraph(surface, layout.graphArea, result, resultFlags, positions, extent);
}

} // namespace tarnova
