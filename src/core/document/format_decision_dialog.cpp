#include "document/format_decision_dialog.h"

#include "platform/run_log.h"
#include "platform/text_file.h"
#include "platform/text_format.h"

#include <filesystem>

namespace tarnova {
namespace {

std::optional<FileKind> askUser(UserInterfacePort& ui, FilePort& files, const std::string& path) {
    const std::optional<FormatChoice> choice = FormatDecisionDialog(ui, files, path);
    if (!choice) {
        return std::nullopt;
    }
    return static_cast<FileKind>(*choice);
}

} // namespace

std::string backupPathFor(const std::string& path) {
    const std::size_t nameStart = path.size() - fileNamePart(path).size();
    const auto stop = path.rfind('.');
    const std::string stem =
        stop == std::string::npos || stop < nameStart ? path : path.substr(0, stop);
    std::string backup = stem + ".bak";
    for (unsigned long number = 1; fileExists(backup); ++number) {
        backup = stem + formatText(".bak%lu", number);
    }
    return backup;
}

std::optional<FormatChoice> FormatDecisionDialog(UserInterfacePort& ui, FilePort& files,
                                                 const std::string& path) {
    auto content = readWholeFile(path);
    if (!content) {
        return FormatChoice::None;
    }
    const FormatDecision decision = files.decideFormat({path, *content});
    if (decision.status == FormatDecision::Status::NotShown) {
        ui.showMessage("Tarnova", "Dialog Box can't be opened.");
        return std::nullopt;
    }
    if (decision.status == FormatDecision::Status::Cancelled) {
        return FormatChoice::None;
    }
    if (decision.content.empty()) {
        ui.showMessage("Tarnova", "データサイズを取得できません。");
        return std::nullopt;
    }
    // A file whose text was not edited is read as it is, without a backup.
    if (decision.content == *content) {
        return decision.choice;
    }
    // The former content stays under the backup name; when the file cannot take the new
    // text, it is left as it was and the backup goes again.
    const std::string backup = backupPathFor(path);
    if (!writeWholeFile(backup, *content)) {
        return FormatChoice::None;
    }
    if (!writeWholeFile(path, decision.content)) {
        std::error_code ignored;
        std::filesystem::remove(backup, ignored);
        return FormatChoice::None;
    }
    return decision.choice;
}

std::optional<FileKind> DetectFileKind(UserInterfacePort& ui, FilePort& files,
                                       const std::string& path, bool retry) {
    const auto content = readWholeFile(path);
    if (!content) {
        LogLine("File can't open.");
        return askUser(ui, files, path);
    }
    if (retry) {
        LogLine("Duplicated type check.");
        return askUser(ui, files, path);
    }
    const std::optional<FileKind> kind = kindFromContent(*content);
    return kind ? *kind : askUser(ui, files, path);
}

} // namespace tarnova
