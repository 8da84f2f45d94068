#include "document/load_peak_file.h"

#include "data/dat_format.h"
#include "data/micromass_asc.h"
#include "data/micromass_dat.h"
#include "data/pks_format.h"
#include "editor/grid_model.h"
#include "platform/text_file.h"
#include "platform/text_format.h"
#include "settings/settings.h"

#include <filesystem>
#include <new>

namespace tarnova {
namespace {

constexpr std::string_view kCaption = "Tarnova";

bool startsWithMicromassMark(const std::string& path) {
    const auto bytes = readFileStart(path, 1);
    return bytes && bytes->starts_with('&');
}

std::optional<DataNoteForm> nativeForm(FileKind kind) {
    switch (kind) {
    case FileKind::Dat:
        return DataNoteForm::Dat;
    case FileKind::Pks:
    case FileKind::PksThirdChoice:
        return DataNoteForm::Pks;
    default:
        return std::nullopt;
    }
}

bool isKnownKind(FileKind kind) {
    return (kind >= FileKind::Dat && kind <= FileKind::Ird) || kind == FileKind::MicromassDat ||
           kind == FileKind::MicromassAsc;
}

std::optional<std::vector<PeakRecord>> runReader(FileKind kind, const std::string& path,
                                                 UserInterfacePort& ui) {
    switch (kind) {
    case FileKind::Dat:
        return ReadDatFile(path);
    case FileKind::Pks:
    case FileKind::PksThirdChoice:
        return ReadPksFile(path);
    case FileKind::MicromassDat:
        return ReadMicromassDat(path, ui);
    case FileKind::MicromassAsc:
        return ReadMicromassAsc(path, ui);
    case FileKind::Ird:
        ui.showMessage("Check", "IRD is detected.");
        return std::nullopt;
    case FileKind::None:
        break;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> chosenPath(UserInterfacePort& ui, const FileDialogResult& result) {
    if (result.status == FileDialogResult::Status::Failed) {
        ui.showMessage("Tarnova - Serious Error",
                       formatText("File selection is aborted with Error 0x%lx:%ld",
                                  result.errorCode, static_cast<long>(result.errorCode)));
    }
    if (result.status != FileDialogResult::Status::Chosen) {
        return std::nullopt;
    }
    return result.path;
}

std::string documentTitle(const std::string& path) {
    return "Tarnova - " + std::string(fileNamePart(path));
}

ChosenOpenFile ChooseOpenFile(UserInterfacePort& ui, FilePort& files,
                              const std::string& dataDirectory, std::string& path) {
    FileDialogRequest request;
    request.filters = {{"DATファイル(VARDEN88互換)", "*.DAT"},
                       {"PKSファイル(ピークサーチ互換)", "*.PKS"},
                       {"Micromass ASCファイル", "*.ASC"},
                       {"すべてのファイル", "*.*"}};
    request.selectedFilter = 1;
    request.initialFolder = dataDirectory;
    request.fileMustExist = true;
    const auto chosen = chosenPath(ui, files.chooseOpenFile(request));
    if (!chosen) {
        return ChosenOpenFile::None;
    }
    path = *chosen;
    const std::string_view extension = fileExtension(path);
    if (equalsIgnoringCase(extension, "DAT")) {
        return ChosenOpenFile::Dat;
    }
    return equalsIgnoringCase(extension, "PKS") ? ChosenOpenFile::Pks : ChosenOpenFile::Other;
}

FileKind kindFromExtension(const std::string& path) {
    const std::string_view extension = fileExtension(path);
    if (equalsIgnoringCase(extension, "PKS")) {
        return FileKind::Pks;
    }
    if (equalsIgnoringCase(extension, "ASC")) {
        return FileKind::MicromassAsc;
    }
    // A native DAT file has the same extension as the instrument's binary file.
    if (equalsIgnoringCase(extension, "DAT") && startsWithMicromassMark(path)) {
        return FileKind::MicromassDat;
    }
    return FileKind::None;
}

std::optional<std::vector<PeakRecord>> readPeakFile(FileKind kind, const std::string& path,
                                                    UserInterfacePort& ui) {
    try {
        return runReader(kind, path, ui);
    } catch (const std::bad_alloc&) {
        return std::nullopt; // the caller's message names memory shortage as a cause
    }
}

LoadResult LoadPeakFile(UserInterfacePort& ui, FilePort& files, GridModel& grid,
                        const Settings& settings, const std::optional<std::string>& path,
                        FileKind presetKind) {
    std::string filePath;
    FileKind kind = presetKind;
    ChosenOpenFile chosenKind = ChosenOpenFile::None;
    if (path) {
        filePath = *path;
    } else {
        chosenKind = ChooseOpenFile(ui, files, settings.dataDirectory, filePath);
        if (chosenKind == ChosenOpenFile::None) {
            return {};
        }
    }
    // A device or a pipe is no measurement: reading one could take for ever, and opening a pipe
    // waits for a writer. (A folder is refused below, as a file that cannot be read.)
    std::error_code folderTest;
    if (isNonRegularFile(filePath) && !std::filesystem::is_directory(filePath, folderTest)) {
        ui.showMessage(kCaption, formatText("%sは通常のファイルではありません。読み込めません。",
                                            filePath.c_str()));
        return {};
    }
    if (const std::error_code error = fileReadError(filePath)) {
        ui.showMessage(kCaption, formatText("ファイル%sを開けません。(%s)", filePath.c_str(),
                                            error.message().c_str()));
        return {};
    }
    if (kind == FileKind::None) {
        kind = kindFromExtension(filePath);
    }
    // A chosen DAT file that is no instrument's file is read as DAT first.
    if (kind == FileKind::None && chosenKind == ChosenOpenFile::Dat) {
        kind = FileKind::Dat;
    }

    // A failed read is tried once more, in the format the user then chooses in the
    // format-decision dialog.
    std::optional<std::vector<PeakRecord>> peaks;
    for (int attempt = 0; attempt < 2 && !peaks; ++attempt) {
        if (kind == FileKind::None) {
            const std::optional<FileKind> detected =
                DetectFileKind(ui, files, filePath, attempt == 1);
            if (!detected) {
                return {}; // the dialog has said why
            }
            kind = *detected;
            if (kind == FileKind::None) {
                ui.showMessage(kCaption, "サポートしない形式のデータです。ロードできません。");
                return {};
            }
        }
        if (!isKnownKind(kind)) {
            return {};
        }
        peaks = readPeakFile(kind, filePath, ui);
        if (!peaks && attempt == 0) {
            kind = FileKind::None;
        }
    }
    if (!peaks) {
        ui.showMessage(
            kCaption, "読み込みに失敗しました。データファイルの異常か、メモリ不足かもしれません。");
        return {};
    }

    if (grid.AttachPeaks(*peaks) == 0) {
        ui.showMessage("Tarnova - serious error", "Fail to attach the data.");
        return {};
    }
    files.setWindowTitle(documentTitle(filePath));
    auto& note = currentDataNote();
    if (note) {
        note->path = filePath;
        note->fileForm = nativeForm(kind);
    }
    return {true, kind};
}

} // namespace tarnova
