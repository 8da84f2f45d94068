#include "document/save_peak_file.h"

#include "data/dat_format.h"
#include "data/pks_format.h"
#include "document/load_peak_file.h"
#include "document/peak_list_extraction.h"
#include "document/stored_exclusions.h"
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

// The exclusions of reduction named by the labels of the peaks they name, as the sheet writes
// them; an exclusion that names no peak stays as it is.
StoredReduction withSheetLabels(StoredReduction reduction, const std::vector<PeakRecord>& peaks) {
    const std::vector<int> matches = MatchExclusions(reduction.exclusions, peaks);
    for (std::size_t i = 0; i < matches.size(); ++i) {
        if (matches[i] >= 0) {
            reduction.exclusions[i].label = peaks[static_cast<std::size_t>(matches[i])].elem;
        }
    }
    return reduction;
}

// Where a DAT save of a measurement with a stored reduction goes: "はい" saves it as PKS under
// PksNameFor, "いいえ" as DAT without the reduction. False when the user cancels.
bool chooseDatOrPks(UserInterfacePort& ui, std::string& target, DataNoteForm& format,
                    StoredReduction& reduction) {
    const std::string pksName = PksNameFor(target);
    const Answer answer =
        ui.ask(kCaption,
               formatText("このデータには除外したピークか回帰の設定があります。DAT形式にはこれらを"
                          "保存できません。\nPKS形式で%sに保存しますか？\n「いいえ」を押すと、"
                          "これらを除いてDAT形式で保存します。",
                          pksName.c_str()),
               QuestionButtons::YesNoCancel);
    if (answer == Answer::Cancel) {
        return false;
    }
    if (answer == Answer::No) {
        reduction = {};
        return true;
    }
    if (fileExists(pksName) && ConfirmOverwrite(ui, pksName) != Answer::Yes) {
        return false;
    }
    target = pksName;
    format = DataNoteForm::Pks;
    return true;
}

} // namespace

std::string PksNameFor(const std::string& path) {
    const std::string_view name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    const std::string stem =
        dot == std::string_view::npos ? path : path.substr(0, path.size() - (name.size() - dot));
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    const bool upper =
        !extension.empty() && std::none_of(extension.begin(), extension.end(),
                                           [](char c) { return c >= 'a' && c <= 'z'; });
    return stem + (upper ? ".PKS" : ".pks");
}

std::optional<DataNoteForm> ChooseSaveFile(UserInterfacePort& ui, FilePort& files,
                                           const std::string& dataDirectory, std::string& path) {
    FileDialogRequest request;
    request.filters = {{"DATファイル(VARDEN88互換)", "*.DAT"},
                       {"PKSファイル(ピークサーチ互換)", "*.PKS"}};
    request.selectedFilter = notePksForm() ? 1 : 0;
    request.initialFolder = dataDirectory;
    request.initialName = path;
    const FileDialogResult result = files.chooseSaveFile(request);
    const auto chosen = chosenPath(ui, result);
    if (!chosen) {
        return std::nullopt;
    }
    path = *chosen;
    return result.filterIndex == 1 ? DataNoteForm::Pks : DataNoteForm::Dat;
}

Answer ConfirmOverwrite(UserInterfacePort& ui, const std::string& path) {
    return ui.ask(kCaption,
                  formatText("ファイル%sは既に存在します。上書きしますか？", path.c_str()),
                  QuestionButtons::YesNoCancel);
}

bool WriteSheet(UserInterfacePort& ui, GridModel& grid, const std::string& path,
                DataNoteForm format, bool addEndOfFile, const StoredReduction& reduction,
                StoredReduction* written) {
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
    StoredReduction entries;
    if (format == DataNoteForm::Pks) {
        entries = withSheetLabels(reduction, sheet->peaks);
    } else if (!reduction.empty() &&
               ui.ask(kCaption,
                      "除外したピークと回帰の設定はDAT形式には保存されません。保存しますか？",
                      QuestionButtons::SaveCancel) != Answer::Yes) {
        return false;
    }
    bool saved = false;
    if (format == DataNoteForm::Pks) {
        const auto& note = currentDataNote();
        const DataNote header = NoteWithReduction(note ? &*note : nullptr, entries);
        saved =
            WritePksFile(path, kept, note || !entries.empty() ? &header : nullptr, addEndOfFile);
    } else {
        saved = WriteDatFile(path, kept, addEndOfFile);
    }
    if (saved && written != nullptr) {
        *written = std::move(entries);
    }
    if (!saved) {
        ui.showMessage(kCaption, "データを保存できませんでした。ディスク容量、ディレクトリエン"
                                 "トリの制限、ファイル名などを調べてください。");
        return false;
    }
    return true;
}

bool SavePeakFile(UserInterfacePort& ui, FilePort& files, GridModel& grid, const Settings& settings,
                  const std::optional<std::string>& path, const StoredReduction& reduction) {
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
        const std::optional<DataNoteForm> chosen =
            ChooseSaveFile(ui, files, settings.dataDirectory, target);
        if (!chosen) {
            return false;
        }
        const DataNoteForm chosenFormat = *chosen;
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

    StoredReduction stored = reduction;
    if (*format == DataNoteForm::Dat && !stored.empty() &&
        !chooseDatOrPks(ui, target, *format, stored)) {
        return false;
    }
    StoredReduction written;
    if (!WriteSheet(ui, grid, target, *format, settings.generalFlags.test(GeneralFlag::AddEof),
                    stored, &written)) {
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
    // The note holds what the file holds, so that the next calculation starts from it.
    ReplaceStoredReduction(*note, written);
    return true;
}

} // namespace tarnova
