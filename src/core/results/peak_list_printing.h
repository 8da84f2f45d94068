// The printed peak list: every peak of the editor as a table in the grid's column formats,
// with the program name and the page number on top of each page.
#pragma once

#include "data/peak_sheet.h"
#include "results/printer_port.h"
#include "settings/column_formats.h"

#include <span>

namespace tarnova {

class GridModel;

inline constexpr const char* kPeakListJobTitle = "Tarnova - Peak List";

// Prints the peaks of grid (ExtractPeakList) on the chosen printer. True when every page
// reached the printer; false otherwise, after telling the user why.
bool PrintPeakList(PrintEnvironment& environment, GridModel& grid);

// One page of the peak list: peaks are the page's rows, firstNumber the number of its first
// peak in the whole list (from 1), pageWidth the page's width in device units (Wpx).
void DrawPeakListPage(Surface& surface, int pageWidth, std::span<const PeakRecord> peaks,
                      int firstNumber, int pageNumber, const ColumnFormats& formats);

} // namespace tarnova
