// tarnova-cli correction: an interference correction set of TARNOVA.INI, saved from items given
// on the command line as the correction table editor saves it, or printed.
#include "calc/correction.h"
#include "calc/correction_table_editor.h"
#include "cli/commands.h"
#include "cli/console_port.h"
#include "platform/codepage.h"
#include "platform/load_path.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

#include <iostream>
#include <optional>

namespace tarnova::cli {

namespace {

constexpr const char* kUsage =
    "tarnova-cli correction SETNAME [CORRECTED,INTERFERING,FACTOR]... [--ini PATH]";
constexpr std::size_t kItemRoom = 1024;

// The three fields of an item: two labels and the factor after the second comma.
struct ItemFields {
    std::string corrected;
    std::string interfering;
    std::string factor;
};

std::optional<ItemFields> splitItem(const std::string& item) {
    const std::size_t first = item.find(',');
    const std::size_t second = first == std::string::npos ? first : item.find(',', first + 1);
    if (second == std::string::npos) {
        return std::nullopt;
    }
    return ItemFields{item.substr(0, first), item.substr(first + 1, second - first - 1),
                      item.substr(second + 1)};
}

int printSet(const std::string& iniPath, const std::string& name) {
    const IniFile file = IniFile::load(iniPath);
    const long count = file.readInt(kCorrectionSetsSection, name, -1);
    if (count < 1) {
        ConsolePort().showMessage("Tarnova",
                                  cp932ToUtf8(name) + "という妨害ピーク補正テーブルはありません。");
        return 1;
    }
    for (const auto& [number, text] : ReadNumberedItems(file, name, count, kItemRoom)) {
        std::cout << "item" << number << '\t' << cp932ToUtf8(text) << '\n';
    }
    return 0;
}

} // namespace

int runCorrectionCommand(const Arguments& arguments) {
    std::optional<std::string> iniPath;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--ini") {
            words.push_back(utf8ToCp932(arguments[i]));
            continue;
        }
        if (iniPath || i + 1 >= arguments.size()) {
            return usageError(kUsage);
        }
        iniPath = arguments[++i];
    }
    if (words.empty()) {
        return usageError(kUsage);
    }
    if (loadPath().empty()) {
        setLoadPath(executableFolder());
    }
    const std::string path = iniPath.value_or(settingsFilePath());
    const std::string& name = words.front();
    if (words.size() == 1) {
        return printSet(path, name);
    }
    ConsolePort port;
    CorrectionTableEditor editor(path, port);
    editor.open();
    // A name that cannot be saved is refused before the items' labels are written.
    if (!editor.acceptsSetName(name)) {
        return 1;
    }
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::optional<ItemFields> item = splitItem(words[i]);
        if (!item) {
            return usageError(kUsage);
        }
        // A file that cannot be written is reported once: the first item stops the command.
        if (!editor.registerEntry(item->corrected, item->interfering, item->factor) ||
            editor.writeFailed()) {
            return 1;
        }
    }
    return editor.saveSet(name) ? 0 : 1;
}

} // namespace tarnova::cli
