// The options and the grid together: the column formats that the settings keep are the formats
// the grid shows its cells in.
#pragma once

#include "editor/grid_model.h"
#include "settings/options_sheet.h"
#include "settings/settings.h"

#include <string>

namespace tarnova {

class UserInterfacePort;

// Reads the settings from the file at path and formats the grid's columns as they say. A file
// that exists but cannot be read is reported through the grid's port, naming the path and the
// reason; every option then takes its default and the result is false.
bool LoadSettings(Settings& settings, GridModel& grid, const std::string& path);

// The "Save Option" command: SaveSettings with the grid's column formats. A failure is reported
// through ui, naming the path and the system's reason. False when nothing was saved.
bool SaveOptions(const Settings& settings, const GridModel& grid, const std::string& path,
                 UserInterfacePort& ui);

// Formats every column of the grid; the sheet's cells are shown anew at the next paint.
void ApplyColumnFormats(GridModel& grid, const ColumnFormats& formats);

// OK of the options sheet: the settings and the grid's column formats from the working copies
// (a format the grid refuses leaves its column as it was) and the rows formatted anew.
void ApplyOptions(const OptionsWorkingCopy& copy, Settings& settings, GridModel& grid);

} // namespace tarnova
