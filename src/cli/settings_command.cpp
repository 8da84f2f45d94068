// tarnova-cli settings: the options as start-up reads them, printed or written to another file.
#include "cli/commands.h"
#include "cli/console_port.h"
#include "cli/sheet_loading.h"
#include "document/grid_settings.h"
#include "platform/load_path.h"
#include "settings/regression_names.h"
#include "settings/settings.h"

#include <iostream>
#include <optional>

namespace tarnova::cli {

namespace {
constexpr const char* kUsage = "tarnova-cli settings [--ini PATH] [--save PATH]";
}

int runSettingsCommand(const Arguments& arguments) {
    std::optional<std::string> iniPath;
    std::optional<std::string> savePath;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        std::optional<std::string>* target = option == "--ini"    ? &iniPath
                                             : option == "--save" ? &savePath
                                                                  : nullptr;
        if (const auto problem =
                optionProblem(arguments, i, target != nullptr, target && target->has_value())) {
            reportUsageProblem(*problem);
            return usageError(kUsage);
        }
        *target = arguments[++i];
    }
    if (loadPath().empty()) {
        setLoadPath(executableFolder());
    }
    // Which file was read, for a user looking for the program's TARNOVA.INI.
    const std::string readPath = iniPath.value_or(settingsFilePath());
    std::cerr << "tarnova-cli settings: read from " << readPath << '\n';
    ConsolePort port;
    noteMissingSettingsFile(iniPath, port);
    GridModel grid(port);
    Settings settings;
    // The command shows the file as start-up reads it: one that cannot be read is a failure.
    if (!LoadSettings(settings, grid, readPath)) {
        return 1;
    }
    if (savePath) {
        return SaveOptions(settings, grid, *savePath, port) ? 0 : 1;
    }
    for (const SettingKey& key : settingKeys()) {
        std::cout << key.section << '.' << key.key << '='
                  << settingText(key, settings, grid.columnFormats()) << '\n';
    }
    // The calculation's method is named only when it is not the line, as the file holds it.
    if (settings.regressionMethod != 0 &&
        settings.regressionMethod < kRegressionMethodNamings.size()) {
        std::cout << "regression.method="
                  << kRegressionMethodNamings[settings.regressionMethod].keyword << '\n';
    }
    // So is the outlier filter, only when it is on.
    if (settings.outlierFilter.rule != OutlierRule::Off) {
        std::cout << "regression.filter=" << FormatOutlierFilter(settings.outlierFilter) << '\n';
    }
    return 0;
}

} // namespace tarnova::cli
