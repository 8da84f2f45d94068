#include "platform/program_files.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

// The installed help folder seen from the folder of the executable (set by the build from the
// installation folders).
#ifndef TARNOVA_INSTALLED_HELP_FOLDER
#define TARNOVA_INSTALLED_HELP_FOLDER "../share/tarnova"
#endif

namespace tarnova {
namespace {

constexpr const char* kHelpName = "TARNOVA.HLP";
constexpr const char* kSettingsName = "TARNOVA.INI";

std::optional<std::string> variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

bool isFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool isAbsolute(const std::optional<std::string>& folder) {
    return folder && folder->starts_with('/');
}

// The user's configuration folder, ending in "/". A relative XDG_CONFIG_HOME is invalid and
// ignored.
std::string configFolder(const UserEnvironment& environment) {
    if (isAbsolute(environment.configHome)) {
        return withSlash(*environment.configHome);
    }
    return withSlash(*environment.home) + ".config/";
}

} // namespace

UserEnvironment processEnvironment() {
    return {variable("HOME"), variable("XDG_CONFIG_HOME")};
}

ProgramFiles LocateProgramFiles(const std::string& loadPath, const UserEnvironment& environment) {
    ProgramFiles portable{false, loadPath + kHelpName, loadPath + kSettingsName, loadPath};
    if (loadPath.empty() || isFile(portable.helpFile)) {
        return portable;
    }
    const std::filesystem::path installedHelp =
        (std::filesystem::path(loadPath) / TARNOVA_INSTALLED_HELP_FOLDER / kHelpName)
            .lexically_normal();
    if (!isAbsolute(environment.home) || !isFile(installedHelp.string())) {
        return portable;
    }
    return {true, installedHelp.string(), configFolder(environment) + "tarnova/" + kSettingsName,
            withSlash(*environment.home)};
}

} // namespace tarnova
