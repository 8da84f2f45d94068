#include "shell/startup.h"

#include "data/peak_sheet.h"
#include "platform/load_path.h"
#include "platform/run_log.h"
#include "platform/text_format.h"
#include "platform/user_interface_port.h"
#include "shell/command_line.h"

#include <algorithm>
#include <vector>

namespace tarnova {
namespace {

constexpr std::size_t kMaxPathLength = 260;
// Room for the executable's name after the load path.
constexpr std::size_t kExecutableNameRoom = 13;
constexpr std::size_t kMaxFurtherFileLength = 339;
constexpr std::string_view kLogOption = "-log";

StartupResult fail(UserInterfacePort& port) {
    port.showMessage("Windows Application", "Fail for initialization: Stop execution.");
    return {};
}

std::vector<std::string> tokensOf(std::string_view line) {
    std::vector<std::string> tokens;
    CommandTokenizer tokenizer(line);
    while (auto token = tokenizer.NextCommandToken()) {
        tokens.push_back(std::move(*token));
    }
    return tokens;
}

} // namespace

std::string FileNameOfToken(std::string_view token) {
    if (!token.empty() && token.front() == '"') {
        token.remove_prefix(1);
    }
    return std::string(token.substr(0, token.find('"')));
}

StartupResult RunStartup(std::string_view commandLine, const std::string& executablePath,
                         const StartupHooks& hooks, UserInterfacePort& port) {
    // The option counts only as a whole token; names before it are ignored.
    std::vector<std::string> tokens = tokensOf(commandLine);
    const auto option = std::find(tokens.begin(), tokens.end(), kLogOption);
    if (option != tokens.end()) {
        tokens.erase(tokens.begin(), option + 1);
        if (hooks.openLogWindow && hooks.openLogWindow()) {
            LogLine("Start logging.");
        } else {
            port.showMessage("Tarnova", "Can't open log window!");
        }
    }

    LogLine(formatText("Loaded from %s.", executablePath.c_str()));
    setLoadPath(LoadPathOf(executablePath));
    LogLine(formatText("Loadpath is %s", loadPath().c_str()));
    LogLine("Accelerator is loaded");
    if (hooks.loadSettings) {
        hooks.loadSettings();
    }
    LogLine("Common Control Library is initialized");

    if (loadPath().size() + kExecutableNameRoom > kMaxPathLength) {
        port.showMessage("Tarnova", "Too deep path tree: Can't accept commandline.");
        return fail(port);
    }
    StartupResult result;
    result.furtherInstanceExecutable = FurtherInstanceExecutable(loadPath());

    LogLine(formatText("CmdLine: %s", std::string(commandLine).c_str()));
    bool first = true;
    for (const std::string& token : tokens) {
        if (first) {
            first = false;
            // The log shows the name as copied, before it is cut at its closing quote.
            const std::string_view copied =
                token.front() == '"' ? std::string_view(token).substr(1) : std::string_view(token);
            DataNote pending;
            pending.path = FileNameOfToken(token);
            InstallDataNote(std::move(pending));
            LogLine(formatText("%s: Load", std::string(copied).c_str()));
            continue;
        }
        if (token.size() > kMaxFurtherFileLength) {
            LogLine("Too long path: Can't accept.");
            continue;
        }
        if (hooks.startInstance) {
            hooks.startInstance(result.furtherInstanceExecutable, FileNameOfToken(token));
        }
        LogLine(formatText("%s: Fork", token.c_str()));
    }
    result.succeeded = true;
    return result;
}

} // namespace tarnova
