// The graph of one result sheet: values against time from time zero, with the fitted line, its
// confidence band, the mean line and one marker per data point. It serves the graph window,
// the metafile and image copies and files of a graph, tarnova-cli graph and printed graphs.
#pragma once

#include "calc/result_table.h"
#include "platform/surface.h"
#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnova {

// Where the last drawing put each data point and the plot rectangle, for hit-testing clicks
// and for the mouse read-out. DrawGraph resizes it to the record's current number of points
// and marks every position invalid before it draws, so only points drawn by the latest drawing
// can be hit, whatever happened to the record since.
struct PointPositions {
    std::vector<std::optional<SurfacePoint>> points; // by point index; none: not drawn
    std::optional<SurfaceRect> plot;                 // the plot rectangle; none: not drawn
    int markerRadius = 0; // how far a drawn marker reaches from its point

    void reset(std::size_t pointCount);
};

// The data coordinates of the plot rectangle's edges; valid only while the last drawing had a
// usable time and value scale (times ending after 0, values not all equal).
struct GraphExtent {
    bool valid = false;
    double leftTime = 0.0;    // always 0
    double topValue = 0.0;    // ymax
    double rightTime = 0.0;   // maxTime
    double bottomValue = 0.0; // ymin
};

// Draws result into area with the graph options of resultFlags (ResultFlag::GraphName,
// ResultFlag::GraphFormula, ResultFlag::ValueLabel, ResultFlag::TimeLabel, ResultFlag::RegLine,
// ResultFlag::RegLimit, ResultFlag::AvgLine). Sets or clears each drawn point's off-graph mark
// (PointFlag::OffGraph). A record without points, or without statistics, draws its frame only.
// positions and extent may be null; when given they are filled afresh.
void DrawGraph(Surface& surface, const SurfaceRect& area, RegressionResult& result,
               ResultFlags resultFlags, PointPositions* positions, GraphExtent* extent);

// The index of the point of result whose marker, as the drawing which filled positions drew
// it, a click at (x, y) hits: the drawn point nearest to (x, y) and at most the marker's radius
// plus 2 units from it (the first of equally near ones); none when no drawn point is that
// near. Off-graph marks are not consulted: another drawing (a metafile copy) may have set
// them since.
std::optional<int> HitDataPoint(const PointPositions& positions, const RegressionResult& result,
                                int x, int y);

// The time and value under (x, y): none unless the extent is valid and (x, y) lies inside the
// plot rectangle (left <= x < right, top <= y < bottom). Negative values are read like others.
struct GraphReading {
    double time = 0.0;
    double value = 0.0;
};
std::optional<GraphReading> ReadGraphPosition(const PointPositions& positions,
                                              const GraphExtent& extent, int x, int y);
// The read-out text "(%G, %G)".
std::string FormatGraphReading(const GraphReading& reading);

// The graph window: its size in dialog base units (average character widths by line heights)
// and the parts of its client area: the read-out box above the graph (its text centred both
// ways), the strip to redraw when the read-out changes, and the area handed to DrawGraph.
inline constexpr int kGraphWindowWidthUnits = 60;
inline constexpr int kGraphWindowHeightUnits = 25;
struct GraphWindowLayout {
    SurfaceRect readoutBox;
    SurfaceRect readoutStrip;
    SurfaceRect graphArea;
};
// dialogBaseHeight: the vertical dialog base unit (the line height of the window's font).
GraphWindowLayout LayOutGraphWindow(const SurfaceRect& client, int dialogBaseHeight);

// Paints the client area of the graph window: the read-out text centred in its box when a
// reading is given, and the graph of result in the graph area (filling positions and extent).
// tarnova-cli graph paints its pictures with it too, without a reading.
void DrawGraphWindow(Surface& surface, const SurfaceRect& client, RegressionResult& result,
                     ResultFlags resultFlags, const std::optional<GraphReading>& reading,
                     PointPositions* positions, GraphExtent* extent);

// The area a graph is drawn into for a metafile copy or file.
inline constexpr SurfaceRect kMetafileGraphArea{0, 0, 640, 480};

} // namespace tarnova
