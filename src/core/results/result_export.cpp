#include "results/result_export.h"

#include "calc/calc_state.h"
#include "calc/ird_export.h"
#include "document/load_peak_file.h"
#include "platform/codepage.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "results/point_editing.h"
#include "results/result_sheet.h"
#include "settings/settings.h"

namespace tarnova {
namespace {

constexpr std::string_view kCaption = "Tarnova";
constexpr std::string_view kNoMemory = "Not enough cor.";

// The save dialog of both result views: the data directory first, an empty name.
std::optional<std::string> chooseFile(UserInterfacePort& ui, FilePort& files,
                                      std::vector<FileFilter> filters,
                                      const std::string& dataDirectory,
                                      std::string_view defaultExtension) {
    FileDialogRequest request;
    request.filters = std::move(filters);
    request.initialFolder = dataDirectory;
    std::optional<std::string> path = chosenPath(ui, files.chooseSaveFile(request));
    if (path && fileExtension(*path).empty() && !path->ends_with('.')) {
        *path += '.';
        *path += defaultExtension;
    }
    return path;
}

} // namespace

std::string CopiedDataName(const DataNote* note) {
    if (note == nullptr) {
        return "unknown";
    }
    if (std::optional<std::string> name = NoteDataName(*note)) {
        return *name;
    }
    return utf8ToCp932(note->fileName());
}

std::string DataPointsText(const RegressionResult& record, const DataNote* note) {
    std::string text = CopiedDataName(note) + "\t" + record.sheetName + "\r\n#Inv\tTime\tData\r\n";
    for (const DataPoint& point : PointsOf(record)) {
        text += point.isActive() ? 'O' : 'X';
        text += '\t';
        text += formatGeneral(point.time);
        text += '\t';
        text += formatGeneral(point.value);
        text += "\r\n";
    }
    return text;
}

std::optional<std::string> SheetsText(const CalcState& state, int sheet, const DataNote* note,
                                      OutputFlags copyOutputFlags) {
    if (!state.results) {
        return std::nullopt;
    }
    std::span<const RegressionResult> records = *state.results;
    if (sheet != kAllSheets) {
        if (sheet < 0 || sheet >= state.resultCount()) {
            return std::nullopt;
        }
        records = records.subspan(static_cast<std::size_t>(sheet), 1);
    }
    if (note == nullptr || !note->path) {
        return WriteIrd(records, note, state.calcFlags, copyOutputFlags, state.peaks);
    }
    DataNote copied = *note;
    copied.path = utf8ToCp932(*note->path);
    return WriteIrd(records, &copied, state.calcFlags, copyOutputFlags, state.peaks);
}

bool SaveResultsAsIrd(const CalcState& state, const DataNote* note, const Settings& settings,
                      UserInterfacePort& ui, FilePort& files) {
    const std::optional<std::string> path =
        chooseFile(ui, files, {{"同位体比データ", "*.IRD"}}, settings.dataDirectory, "IRD");
    if (!path) {
        return false;
    }
    const std::span<const RegressionResult> records =
        state.results ? std::span<const RegressionResult>(*state.results)
                      : std::span<const RegressionResult>();
    const std::optional<std::string> text =
        WriteIrd(records, note, state.calcFlags, settings.fileOutputFlags, state.peaks);
    if (!text) {
        ui.showMessage(kCaption, kNoMemory);
        return false;
    }
    if (!writeWholeFile(*path, *text)) {
        ui.showMessage(kCaption, *path);
        return false;
    }
    return true;
}

std::optional<std::string> ChooseGraphFile(UserInterfacePort& ui, FilePort& files,
                                           const std::string& dataDirectory) {
    return chooseFile(ui, files, {}, dataDirectory, "EMF");
}

} // namespace tarnova
