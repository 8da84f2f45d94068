// What leaves the result views: the clipboard texts of the result window (this sheet, all
// sheets, the data points) and the files of Save As (the results as IRD, a graph as a picture).
#pragma once

#include "calc/result_table.h"
#include "data/peak_sheet.h"
#include "document/file_port.h"
#include "platform/user_interface_port.h"
#include "settings/settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnova {

struct CalcState;
struct Settings;

// The name of the measurement on the first line of copied data points: "unknown" without a
// data note, else the name the sheet shows, or the note's file name when the note names none.
std::string CopiedDataName(const DataNote* note);

// "Copy → Data points": the data name and the sheet name, the heads "#Inv\tTime\tData", and
// one line per point, enabled or not ('O' or 'X', "%G" of time and value), each ended by
// "\r\n". A record without points gives the two first lines only. Code page 932 bytes.
std::string DataPointsText(const RegressionResult& record, const DataNote* note);

// "Copy → This sheet" (sheet) or "Copy → All sheets" (kAllSheets): the IRD text with
// copyOutputFlags; the SOURCE path too is in code page 932, like the rest of the text. None
// when sheet names no sheet or memory runs out.
std::optional<std::string> SheetsText(const CalcState& state, int sheet, const DataNote* note,
                                      OutputFlags copyOutputFlags);

// "Save As..." of the result window: asks for a file ("同位体比データ", *.IRD, in the data
// directory; a name without an extension gets ".IRD") and writes the IRD text of every record
// with fileOutputFlags, replacing the file in one step. A text that cannot be made shows "Not
// enough cor.", a file that cannot be written shows its path (caption "Tarnova"), a failed
// dialog its error. True when written.
bool SaveResultsAsIrd(const CalcState& state, const DataNote* note, const Settings& settings,
                      UserInterfacePort& ui, FilePort& files);

// "Save As..." of the graph window: asks for a file name (no filter; a name without an
// extension gets ".EMF"). None when cancelled or failed (a failure is reported).
std::optional<std::string> ChooseGraphFile(UserInterfacePort& ui, FilePort& files,
                                           const std::string& dataDirectory);

} // namespace tarnova
