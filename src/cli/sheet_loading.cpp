#include "cli/sheet_loading.h"

#include "platform/load_path.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

namespace tarnova::cli {
namespace {

std::optional<FileKind> formatNamed(const std::string& name) {
    if (name == "dat") {
        return FileKind::Dat;
    }
    if (name == "pks") {
        return FileKind::Pks;
    }
    if (name == "asc") {
        return FileKind::MicromassAsc;
    }
    if (name == "mmdat") {
        return FileKind::MicromassDat;
    }
    return std::nullopt;
}

std::optional<DataNoteForm> targetNamed(const std::string& name) {
    if (name == "dat") {
        return DataNoteForm::Dat;
    }
    if (name == "pks") {
        return DataNoteForm::Pks;
    }
    return std::nullopt;
}

} // namespace

std::optional<SheetArguments> parseSheetArguments(const Arguments& arguments, bool withTarget,
                                                  std::size_t pathCount) {
    SheetArguments parsed;
    std::optional<std::string> format;
    std::optional<std::string> target;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with("--")) {
            parsed.paths.push_back(argument);
            continue;
        }
        std::optional<std::string>* value = argument == "--ini"                ? &parsed.iniPath
                                            : argument == "--format"           ? &format
                                            : argument == "--to" && withTarget ? &target
                                                                               : nullptr;
        if (const auto problem =
                optionProblem(arguments, i, value != nullptr, value && value->has_value())) {
            reportUsageProblem(*problem);
            return std::nullopt;
        }
        *value = arguments[++i];
    }
    if (pathCount == 0 && parsed.paths.empty()) {
        reportUsageProblem("a file or folder name expected");
        return std::nullopt;
    }
    if (pathCount != 0 && parsed.paths.size() != pathCount) {
        reportUsageProblem(pathCount == 1 ? "one file name expected" : "two file names expected");
        return std::nullopt;
    }
    if (format) {
        const auto kind = formatNamed(*format);
        if (!kind) {
            reportUsageProblem("--format " + *format + " is none of dat, pks, asc, mmdat");
            return std::nullopt;
        }
        parsed.format = *kind;
    }
    if (withTarget) {
        parsed.target = target ? targetNamed(*target) : std::nullopt;
        if (!parsed.target) {
            reportUsageProblem("--to dat or --to pks expected");
            return std::nullopt;
        }
    }
    return parsed;
}

std::vector<std::string> inputFiles(const SheetArguments& arguments) {
    std::vector<std::string> files = arguments.paths;
    if (arguments.iniPath) {
        files.push_back(*arguments.iniPath);
    }
    return files;
}

void noteMissingSettingsFile(const std::optional<std::string>& iniPath, UserInterfacePort& ui) {
    if (iniPath && !fileExists(*iniPath)) {
        ui.showMessage("Tarnova", formatText("設定ファイル%sがありません。既定の設定を使います。",
                                             iniPath->c_str()));
    }
}

bool ConsoleSheet::load(const std::string& path, const SheetArguments& arguments) {
    if (loadPath().empty()) {
        setLoadPath(executableFolder());
    }
    noteMissingSettingsFile(arguments.iniPath, ui);
    LoadSettings(settings, grid, arguments.iniPath.value_or(settingsFilePath()));
    result = LoadPeakFile(ui, files, grid, settings, path, arguments.format);
    return result.loaded;
}

} // namespace tarnova::cli
