// The options and the grid together: the column formats that the settings keep are the formats
// the grid shows its cells in.
#pragma once

#include "editor/grid_model.h"
#include "settings/options_sheet.h"
#include "settings/settings.h"

#include <string>

namespace tarnova {

// Reads the settings from the file at path and formats the grid's columns as they say.
void LoadSettings(Settings& settings, GridModel& grid, const std::string& path);

// Formats every column of the grid; the sheet's cells are shown anew at the next paint.
void ApplyColumnFormats(GridModel& grid, const ColumnFormats& formats);

// OK of the options sheet: the settings and the grid's column formats from the working copies
// (a format the grid refuses leaves its column as it was) and the rows formatted anew.
void ApplyOptions(const OptionsWorkingCopy& copy, Settings& settings, GridModel& grid);

} // namespace tarnova
