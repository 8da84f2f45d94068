#include "document/grid_settings.h"

#include "platform/text_file.h"
#include "platform/text_format.h"
#include "platform/user_interface_port.h"

namespace tarnova {

bool LoadSettings(Settings& settings, GridModel& grid, const std::string& path) {
    ColumnFormats formats = grid.columnFormats();
    FileError error;
    const bool read = LoadSettings(settings, formats, path, &error);
    if (!read) {
        grid.port().showMessage(
            "Tarnova", formatText("設定ファイル%sを読み込めません(%s)。既定の設定を使います。",
                                  path.c_str(), error.reason().c_str()));
    }
    ApplyColumnFormats(grid, formats);
    return read;
}

bool SaveOptions(const Settings& settings, const GridModel& grid, const std::string& path,
                 UserInterfacePort& ui) {
    FileError error;
    if (SaveSettings(settings, grid.columnFormats(), path, &error)) {
        return true;
    }
    ui.showMessage("Tarnova", formatText("設定を%sに保存できませんでした(%s)。", path.c_str(),
                                         error.reason().c_str()));
    return false;
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
