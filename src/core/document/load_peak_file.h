// Loading a data file into the sheet: the path from the open-file dialog or the caller, the
// format from the extension, the dialog's choice or the contents, the reader, the grid.
#pragma once

#include "data/file_kind.h"
#include "document/file_port.h"
#include "document/format_decision_dialog.h"
#include "platform/user_interface_port.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnova {

class GridModel;
struct PeakRecord;
struct Settings;

struct LoadResult {
    bool loaded = false;
    FileKind kind = FileKind::None; // the format the file was read in, when loaded
};

// Loads the file at path, or asks for one with ChooseOpenFile when there is none. A file
// that cannot be read is reported with its path and the system's reason. The format comes
// from presetKind when given (as if the user had chosen it in the format-decision dialog),
// else from the extension (PKS, ASC, and DAT for a file that starts with the Micromass mark
// "&"; a DAT file chosen in the open dialog is otherwise read as DAT), else from
// DetectFileKind; a failed read is retried once through DetectFileKind. On success the grid
// holds the peaks, the reader's data note is current with the path recorded, and the window
// title names the file. Every failure is reported to the user, once; a failed reader changes
// nothing.
LoadResult LoadPeakFile(UserInterfacePort& ui, FilePort& files, GridModel& grid,
                        const Settings& settings, const std::optional<std::string>& path,
                        FileKind presetKind = FileKind::None);

// What the open-file dialog gave: nothing (cancelled, or failed and reported), or a name with the
// extension DAT, PKS (any case) or another one.
enum class ChosenOpenFile { None, Dat, Pks, Other };

// The open-file dialog; the chosen name is left in path.
ChosenOpenFile ChooseOpenFile(UserInterfacePort& ui, FilePort& files,
                              const std::string& dataDirectory, std::string& path);

// The kind a path's extension selects: PKS, ASC, and DAT when the file starts with "&"
// (the Micromass mark); None otherwise.
FileKind kindFromExtension(const std::string& path);

// Runs the reader of kind on the file at path (the reader installs its data note on
// success). An IRD file is refused with a message; None and unknown kinds read nothing.
std::optional<std::vector<PeakRecord>> readPeakFile(FileKind kind, const std::string& path,
                                                    UserInterfacePort& ui);

// "Tarnova - " and the file-name part of path: the main window's title for a document.
std::string documentTitle(const std::string& path);

// The path a file dialog ended with: none when it was cancelled, or when it failed, which is
// reported as "File selection is aborted with Error 0x%lx:%ld".
std::optional<std::string> chosenPath(UserInterfacePort& ui, const FileDialogResult& result);

} // namespace tarnova
