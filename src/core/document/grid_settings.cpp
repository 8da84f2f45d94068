#include "document/grid_settings.h"

namespace tarnova {

void LoadSettings(Settings& settings, GridModel& grid, const std::string& path) {
    ColumnFormats formats = grid.columnFormats();
    LoadSettings(settings, formats, path);
    ApplyColumnFormats(grid, formats);
}

void ApplyColumnFormats(GridModel& grid, const ColumnFormats& formats) {
    for (int column = kNumColumn; column < kGridColumnCount; ++column) {
        const ColumnFormat format = formats[static_cast<std::size_t>(column)];
        grid.SetColumnFormat(column, format.width, format.decimals, false);
    }
}

void ApplyOptions(const OptionsWorkingCopy& copy, Settings& settings, GridModel& grid) {
    TakeOverOptions(copy, settings);
    ApplyColumnFormats(grid, copy.formats);
    grid.ReformatRows();
}

} // namespace tarnova
