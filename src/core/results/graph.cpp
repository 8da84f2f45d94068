#include "results/graph.h"

namespace tarnova {

void PointPositions::reset(std::size_t pointCount) {
    points.assign(pointCount, std::nullopt);
    plot.reset();
}

void DrawGraph(Surface&, const SurfaceRect&, RegressionResult& result, std::uint32_t,
               PointPositions* positions, GraphExtent* extent) {
    if (positions != nullptr) {
        positions->reset(result.points ? result.points->size() : 0);
    }
    if (extent != nullptr) {
        extent->valid = false;
    }
}

std::optional<int> HitDataPoint(const PointPositions&, const RegressionResult&, int, int) {
    return std::nullopt;
}

std::optional<GraphReading> ReadGraphPosition(const PointPositions&, const GraphExtent&, int, int) {
    return std::nullopt;
}

std::string FormatGraphReading(const GraphReading&) {
    return {};
}

GraphWindowLayout LayOutGraphWindow(const SurfaceRect& client, int) {
    return {client, client, client};
}

} // namespace tarnova
