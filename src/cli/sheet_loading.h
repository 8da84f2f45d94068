// Loading a data file on the command line, shared by the info and convert commands: the file
// is loaded as the program loads a file named on its command line, into a grid with the
// column formats of the INI file.
#pragma once

#include "cli/commands.h"
#include "cli/console_file_port.h"
#include "cli/console_port.h"
#include "document/grid_settings.h"
#include "document/load_peak_file.h"
#include "editor/grid_model.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnova::cli {

struct SheetArguments {
    std::vector<std::string> paths; // the positional arguments
    std::optional<std::string> iniPath;
    FileKind format = FileKind::None;   // --format: as if chosen in the format-decision dialog
    std::optional<DataNoteForm> target; // --to (convert)
};

// The files a command reads: FILE... and the INI file named by --ini.
std::vector<std::string> inputFiles(const SheetArguments& arguments);

// Says on stderr that the settings file named by --ini is missing and the defaults are used.
void noteMissingSettingsFile(const std::optional<std::string>& iniPath, UserInterfacePort& ui);

// Reads FILE... [--ini INI] [--format dat|pks|asc|mmdat] and, with withTarget, --to dat|pks
// (then required): pathCount file names, or with pathCount 0 one or more. None on a usage
// error.
std::optional<SheetArguments> parseSheetArguments(const Arguments& arguments, bool withTarget,
                                                  std::size_t pathCount);

// The document of a command: messages go to stderr, dialogs are cancelled.
class ConsoleSheet final {
  public:
    ConsoleSheet() : grid(ui) {}

    // Reads the settings and loads path; false (after the messages) when it was not loaded.
    bool load(const std::string& path, const SheetArguments& arguments);

    ConsolePort ui;
    ConsoleFilePort files;
    GridModel grid;
    Settings settings;
    LoadResult result;
};

} // namespace tarnova::cli
