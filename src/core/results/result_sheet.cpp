#include "results/result_sheet.h"

namespace tarnova {

std::optional<std::string> NoteDataName(const DataNote&) {
    return std::nullopt;
}

int DrawResultSheet(Surface&, SurfaceRect&, const RegressionResult&, const DataNote*, std::uint32_t,
                    std::uint32_t, DescribeOperation) {
    return 1;
}

void DrawDataPointTable(Surface&, SurfaceRect&, std::span<const DataPoint>, int, int) {}

} // namespace tarnova
