// tarnova-cli convert: loads a data file and saves its peaks as DAT or PKS.
#include "cli/commands.h"
#include "cli/sheet_loading.h"
#include "data/stored_reduction.h"
#include "document/save_peak_file.h"

namespace tarnova::cli {
namespace {

constexpr const char* kUsage = "tarnova-cli convert FILE OUT --to dat|pks [--ini INI] "
                               "[--format dat|pks|asc|mmdat] [--leave-out]";

} // namespace

int runConvertCommand(const Arguments& arguments) {
    // --leave-out answers Save when rows that hold values, or the stored exclusions, cannot be
    // written.
    Arguments rest;
    bool leaveOut = false;
    for (const std::string& argument : arguments) {
        if (argument == "--leave-out" && !leaveOut) {
            leaveOut = true;
        } else {
            rest.push_back(argument);
        }
    }
    const auto parsed = parseSheetArguments(rest, true, 2);
    // Converting a file onto itself rewrites it as a save of the window does; the settings file
    // is no place for peaks.
    if (!parsed || (parsed->iniPath && outputNamesInput(parsed->paths[1], {*parsed->iniPath}))) {
        return usageError(kUsage);
    }
    ConsoleSheet sheet;
    if (leaveOut) {
        sheet.ui.presetAnswer = Answer::Yes;
    }
    if (!sheet.load(parsed->paths[0], *parsed)) {
        return 1;
    }
    const bool addEndOfFile = sheet.settings.generalFlags.test(GeneralFlag::AddEof);
    // The exclusions, methods and filter stored with FILE go with it into a PKS file; DAT has no
    // room for them, and --leave-out leaves them out as it leaves out rows.
    const std::optional<DataNote>& note = currentDataNote();
    const StoredReduction reduction = note ? StoredReductionOf(*note) : StoredReduction{};
    return WriteSheet(sheet.ui, sheet.grid, parsed->paths[1], *parsed->target, addEndOfFile,
                      reduction)
               ? 0
               : 1;
}

} // namespace tarnova::cli
