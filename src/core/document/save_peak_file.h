// Saving the sheet as a DAT or PKS file (Save, Save As and the save question at closing).
#pragma once

#include "data/peak_sheet.h"
#include "data/stored_reduction.h"
#include "document/file_port.h"
#include "platform/user_interface_port.h"

#include <optional>
#include <string>

namespace tarnova {

class GridModel;
struct Settings;

// Save passes the path of currentDataNote, Save As none. With a path the file is written
// again in the format it has (a loaded DAT or PKS file, or the format of the last Save As);
// without one, or when the path names an instrument's file that this program does not
// write, the save dialog asks for a name and a format (a name without an extension gets the
// format's), with the overwrite question for an existing file. On success the sheet is no
// longer modified, the title names the file, and currentDataNote (created empty when there
// is none) records the path and its format. reduction (the caller's ReductionToStore) is
// written after the note's own comments of a PKS file and becomes the note's stored entries;
// DAT has no room for it, so a DAT save with a reduction asks once whether to save as PKS
// instead (the name's extension replaced by .pks) or as DAT without it.
bool SavePeakFile(UserInterfacePort& ui, FilePort& files, GridModel& grid, const Settings& settings,
                  const std::optional<std::string>& path, const StoredReduction& reduction = {});

// Extracts the peaks from the grid (unedited cells with their full precision) and writes
// them to path in format. Before rows that hold values are left out (no label, or a label
// the DAT format cannot hold) the user is asked once, with Save and Cancel. False with the
// message when no peak can be extracted, DAT can hold none, or the file cannot be written;
// false without one when the user cancels. A PKS file gets the entries of reduction after the
// note's own comments, each exclusion with the label of the peak it names as the sheet writes
// it; written receives the entries written. A DAT file cannot hold them: with a reduction the
// user is asked once, with Save and Cancel, before they are left out.
bool WriteSheet(UserInterfacePort& ui, GridModel& grid, const std::string& path,
                DataNoteForm format, bool addEndOfFile, const StoredReduction& reduction = {},
                StoredReduction* written = nullptr);

// The name a DAT measurement is saved under as PKS: its extension replaced by .pks (.PKS when
// it was upper case), or .pks appended when it has none.
std::string PksNameFor(const std::string& path);

// The save-file dialog with the DAT and PKS filters, the PKS one preselected when
// currentDataNote is in PKS form; the name field starts with path's text. The form of the chosen
// filter, or none when cancelled or failed (a failure is reported); the chosen name is left in
// path.
std::optional<DataNoteForm> ChooseSaveFile(UserInterfacePort& ui, FilePort& files,
                                           const std::string& dataDirectory, std::string& path);

// "ファイル%sは既に存在します。上書きしますか？" with yes, no and cancel.
Answer ConfirmOverwrite(UserInterfacePort& ui, const std::string& path);

} // namespace tarnova
