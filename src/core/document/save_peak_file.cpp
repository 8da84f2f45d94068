#include "document/save_peak_file.h"

#include "data/dat_format.h"
#include "data/pks_format.h"
#include "document/load_peak_file.h"
#include "document/peak_list_extraction.h"
#include "editor/grid_model.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "settings/settings.h"

#include <algorithm>
#include <vector>

namespace tarnova {
namespace {

constexpr std::string_view kCaption = "Tarnova";

bool notePksForm() {
    const auto& note = currentDataNote();
    return note && note->form == DataNoteForm::Pks;
}

// The format Save writes to the note's file; none when the note has no file this program
// writes.
std::optional<DataNoteForm> formatOfNoteFile() {
    const auto& note = currentDataNote();
    if (note && note->path) {
        return note->fileForm;
    }
    return notePksForm() ? DataNoteForm::Pks : DataNoteForm::Dat;
}

// "folder/*.PKS" or "folder/*.DAT": the name the save dialog starts with.
std::string initialSaveName(const std::string& dataDirectory) {
    std::string name = dataDirectory;
    if (!name.empty() && !name.ends_with('/')) {
        name += '/';
    }
    return name + (notePksForm() ? "*.PKS" : "*.DAT");
}

// A row with values that a save leaves out, and why.
struct LeftOutRow {
    int row = 0;
    const char* reason = "";
};

// Asks once before a save leaves out rows that hold values; true when there are none or the
// user saves all the same.
bool mayLeaveOut(UserInterfacePort& ui, std::vector<LeftOutRow> leftOut) {
    if (leftOut.empty()) {
        return true;
    }
    const auto first =
        std::min_element(leftOut.begin(), leftOut.end(),
                         [](const LeftOutRow& a, const LeftOutRow& b) { return a.row < b.row; });
    const std::string question =
        formatText("値のある%zu行は保存されません(最初は%d行目: %s)。保存しますか？",
                   leftOut.size(), first->row + 1, first->reason);
    return ui.ask(kCaption, question, QuestionButtons::SaveCancel) == Answer::Yes;
}

// The name typed into the save dialog, with the extension of the chosen format when it has
// none, so that the file opens again in that format.
std::string withFormatExtension(std::string path, DataNoteForm format) {
    if (fileNamePart(path).find('.') == std::string_view::npos) {
        path += format == DataNoteForm::Pks ? ".pks" : ".dat";
    }
    return path;
}

} // namespace

int ChooseSaveFile(UserInterfacePort& ui, FilePort& files, const std::string& dataDirectory,
                   std::string& path) {
    FileDialogRequest request;
    request.filters = {{"DATファイル(VARDEN88互換)", "*.DAT"},
                       {"PKSファイル(ピークサーチ互換)", "*.PKS"}};
    request.selectedFilter = notePksForm() ? 1 : 0;
    request.initialFolder = dataDirectory;
    request.initialName = path;
    const FileDialogResult result = files.chooseSaveFile(request);
    const auto chosen = chosenPath(ui, result);
    if (!chosen) {
        return 0;
    }
    path = *chosen;
    return result.filterIndex == 1 ? 2 : 1;
}

Answer ConfirmOverwrite(UserInterfacePort& ui, const std::string& path) {
    return ui.ask(kCaption,
                  formatText("ファイル%sは既に存在します。上書きしますか？", path.c_str()),
                  QuestionButtons::YesNoCancel);
}

bool WriteSheet(UserInterfacePort& ui, GridModel& grid, const std::string& path,
                DataNoteForm format, bool addEndOfFile) {
    const std::optional<SheetPeaks> sheet = ExtractPeaksToSave(grid);
    if (!sheet) {
        ui.showMessage(kCaption, "データリストを抽出できません。メモリ不足の可能性があります。");
        return false;
    }
    std::vector<PeakRecord> kept;
    std::vector<LeftOutRow> leftOut;
    for (const int row : sheet->unlabelledRows) {
        leftOut.push_back({row, "ラベルがない"});
    }
    if (format == DataNoteForm::Pks) {
        kept = sheet->peaks;
    } else {
        const std::vector<DatRefusal> refusals = datRefusals(sheet->peaks);
        for (std::size_t i = 0; i < refusals.size(); ++i) {
            if (refusals[i] == DatRefusal::None) {
                kept.push_back(sheet->peaks[i]);
            } else {
                leftOut.push_back({sheet->peakRows[i], refusals[i] == DatRefusal::NoMassNumber
                                                           ? "ラベルが質量数で始まらない"
                                                           : "DAT形式のラベルは50種類まで"});
            }
        }
        if (kept.empty()) {
            ui.showMessage(kCaption, "DAT形式には質量数で始まるラベル(例: 40)が必要です。"
                                     "保存できるピークがありません。");
            return false;
        }
    }
    if (!mayLeaveOut(ui, leftOut)) {
        return false;
    }
    const bool written = format == DataNoteForm::Pks ? WritePksFile(path, kept, addEndOfFile)
                                                     : WriteDatFile(path, kept, addEndOfFile);
    if (!written) {
        ui.showMessage(kCaption, "データを保存できませんでした。ディスク容量、ディレクトリエン"
                                 "トリの制限、ファイル名などを調べてください。");
        return false;
    }
    return true;
}

bool SavePeakFile(UserInterfacePort& ui, FilePort& files, GridModel& grid, const Settings& settings,
                  const std::optional<std::string>& path) {
    if (grid.GetRowCount() == 0) {
        ui.showMessage(kCaption, "ピークがありません。保存はできません。");
        return false;
    }
    std::string target;
    std::optional<DataNoteForm> format = path ? formatOfNoteFile() : std::nullopt;
    if (format) {
        target = *path;
    }
    while (!format) {
        target = initialSaveName(settings.dataDirectory);
        const int chosen = ChooseSaveFile(ui, files, settings.dataDirectory, target);
        if (chosen == 0) {
            return false;
        }
        const DataNoteForm chosenFormat = chosen == 2 ? DataNoteForm::Pks : DataNoteForm::Dat;
        target = withFormatExtension(std::move(target), chosenFormat);
        if (fileExists(target)) {
            const Answer answer = ConfirmOverwrite(ui, target);
            if (answer == Answer::Cancel) {
                return false;
            }
            if (answer == Answer::No) {
                continue;
            }
        }
        format = chosenFormat;
    }

    if (!WriteSheet(ui, grid, target, *format, (settings.generalFlags & kAddEof) != 0)) {
        return false;
    }
    grid.ClearModified();
    files.setWindowTitle(documentTitle(target));
    auto& note = currentDataNote();
    if (!note) {
        note.emplace();
    }
    note->path = target;
    note->fileForm = format;
    return true;
}

} // namespace tarnova
