// tarnova-cli info: what the program makes of a data file, as text.
#include "cli/commands.h"
#include "cli/sheet_loading.h"
#include "data/stored_reduction.h"
#include "editor/sheet_clipboard.h"
#include "platform/codepage.h"
#include "platform/text_format.h"

#include <iostream>

namespace tarnova::cli {
namespace {

constexpr const char* kUsage =
    "tarnova-cli info FILE [--ini INI] [--format dat|pks|asc|mmdat] [--exact]";

void printField(std::string_view name, std::string_view text) {
    std::cout << name << '\t' << cp932ToUtf8(text) << '\n';
}

void printNote(const std::optional<DataNote>& note) {
    if (!note) {
        std::cout << "note\tnone\n";
        return;
    }
    if (note->form == DataNoteForm::Pks) {
        std::cout << "note\tPKS\n";
        for (const TaggedComment& entry : note->tags) {
            printField(cp932ToUtf8(entry.tag), entry.text);
        }
        return;
    }
    std::cout << "note\tDAT\n";
    printField("NAME", note->name);
    printField("DATE", note->date);
    printField("COMMENT", note->comment);
    printField("WEIGHT", formatFixed(note->weight, 0, 6));
    printField("SPIKEID", formatText("%d", note->spikeId));
    printField("SPIKEVOL", formatFixed(note->spikeVolume, 0, 6));
    printField("SPIKEERROR", formatFixed(note->spikeError, 0, 6));
}

// The stored exclusions, methods and filter once more, read: "excluded\tLABEL@TIME\tREASON",
// "method\tNAME\tMETHOD", "filter\tKEYWORD", "kept\tLABEL@TIME".
void printStoredReduction(const std::optional<DataNote>& note) {
    if (!note) {
        return;
    }
    const StoredReduction reduction = StoredReductionOf(*note);
    for (const StoredExclusion& exclusion : reduction.exclusions) {
        std::cout << "excluded\t" << cp932ToUtf8(exclusion.label) << '@'
                  << PeakTimeText(exclusion.hundredths) << '\t'
                  << ExclusionReasonName(exclusion.reason) << '\n';
    }
    for (const StoredMethod& method : reduction.methods) {
        std::cout << "method\t" << cp932ToUtf8(method.name) << '\t' << cp932ToUtf8(method.method)
                  << '\n';
    }
    if (reduction.filter) {
        std::cout << "filter\t" << cp932ToUtf8(*reduction.filter) << '\n';
    }
    for (const StoredExclusion& kept : reduction.kept) {
        std::cout << "kept\t" << cp932ToUtf8(PeakNameText(kept)) << '\n';
    }
}

} // namespace

int runInfoCommand(const Arguments& arguments) {
    // --exact takes no value; the other options are those of every sheet command.
    bool exact = false;
    const std::optional<Arguments> sheetArguments = takeFlag(arguments, "--exact", exact);
    if (!sheetArguments) {
        return usageError(kUsage);
    }
    const auto parsed = parseSheetArguments(*sheetArguments, false, 1);
    if (!parsed) {
        return usageError(kUsage);
    }
    ConsoleSheet sheet;
    if (!sheet.load(parsed->paths[0], *parsed)) {
        return 1;
    }
    std::cout << "format\t" << fileKindName(sheet.result.kind) << '\n';
    printNote(currentDataNote());
    const GridModel& grid = sheet.grid;
    std::cout << "rows\t" << grid.GetRowCount() << '\n';
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        if (exact) {
            // The row as Copy writes it: the label and the values the file gave, whole.
            const EditorRow* editorRow = grid.row(row);
            std::cout << (editorRow ? cp932ToUtf8(CopiedRowText(grid, *editorRow)) : "") << '\n';
            continue;
        }
        for (int column = kElemColumn; column <= kPeakColumn; ++column) {
            std::cout << (column == kElemColumn ? "" : "\t")
                      << cp932ToUtf8(grid.cellText(row, column));
        }
        std::cout << '\n';
    }
    // After the rows, so that no tag of the note can be taken for one of them.
    printStoredReduction(currentDataNote());
    return 0;
}

} // namespace tarnova::cli
