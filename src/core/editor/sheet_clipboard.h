// The sheet as tab-separated text, for the clipboard: Copy writes every row with its numbers
// at full precision, Paste puts rows typed in a spreadsheet (or copied from a sheet) in at the
// cursor. Texts are code page 932 bytes, as the sheet holds them.
#pragma once

#include <string>
#include <string_view>

namespace tarnova {

class GridModel;
struct EditorRow;

// The head line "Elem\tTime\tHeight\tRange\tPeak", then one line per row that is not empty:
// its label and its Time, Height, Range and Peak (height x range) values, each as the shortest
// text that reads back as the same number (shortestDecimal: "0.0001", "2.76471206"). An unedited
// cell gives its row's peak's own value, an edited one what its text reads as. The typing in the
// cursor's cell is committed first.
std::string CopySheetText(GridModel& grid);
// One row's line of CopySheetText, without its line end.
std::string CopiedRowText(const GridModel& grid, const EditorRow& row);

// Puts the rows of text in before the cursor's row, as one change that can be undone. Each
// line holds tab-separated fields: label, time, height and range (a fifth field, the peak as
// Copy writes it, is ignored), or label, time and peak, which is split into height and range
// as a PKS file's value is. Empty lines and a head line starting with "Elem" are skipped.
// When any line cannot be read, nothing is pasted and the message names the first such line.
// Beeps when there is nothing to paste. Returns whether rows were pasted.
bool PasteSheetText(GridModel& grid, std::string_view text);

} // namespace tarnova
